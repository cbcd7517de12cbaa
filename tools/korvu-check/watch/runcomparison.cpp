#include "watch/runcomparison.h"

#include <QSet>

namespace {

// Still failing rows are old news: the summary above names them all.
const int namedStillFailing = 3;

struct RowStates
{
    QStringList failing; // in the run's order
    QSet<QString> passing;
};

RowStates statesOf(const RunResults &results)
{
    RowStates states;
    const QVector<RowStatus> statuses = results.statuses();
    for (const RowStatus &status : statuses) {
        if (status.failsRun())
            states.failing.append(status.testName);
        else if (status.outcome == RowStatus::Outcome::Passed || status.outcome == RowStatus::Outcome::Flaky)
            states.passing.insert(status.testName);
    }
    return states;
}

} // namespace

RunComparison::RunComparison(const RunResults &previous, const RunResults &current)
{
    const RowStates before = statesOf(previous);
    const RowStates now = statesOf(current);
    const QVector<RunResults::TestCase> rows = current.rowsWithHooksMerged();
    m_anyRowRan = !rows.isEmpty() || !now.failing.isEmpty();
    for (const QString &testName : now.failing) {
        if (before.failing.contains(testName))
            m_stillFailing.append(current.reportedName(testName));
        else
            m_newlyFailing.append(current.reportedName(testName));
    }
    for (const RunResults::TestCase &row : rows) {
        if (before.failing.contains(row.testName) && now.passing.contains(row.testName))
            m_fixed.append(current.reportedName(row.testName));
    }
}

bool RunComparison::anyRowRan() const { return m_anyRowRan; }

QString RunComparison::text() const
{
    QStringList parts;
    if (!m_fixed.isEmpty())
        parts.append(QStringLiteral("fixed ") + m_fixed.join(QStringLiteral(", ")));
    if (!m_newlyFailing.isEmpty())
        parts.append(QStringLiteral("newly failing ") + m_newlyFailing.join(QStringLiteral(", ")));
    if (!m_stillFailing.isEmpty()) {
        QStringList named = m_stillFailing.mid(0, namedStillFailing);
        if (m_stillFailing.size() > namedStillFailing)
            named.append(QStringLiteral("..."));
        parts.append(
            QStringLiteral("still failing %1 (%2)").arg(m_stillFailing.size()).arg(named.join(QStringLiteral(", "))));
    }
    if (parts.isEmpty())
        parts.append(m_anyRowRan ? QStringLiteral("nothing fixed, none failing")
                                 : QStringLiteral("no function or row ran"));
    return QStringLiteral("since the last run: ") + parts.join(QStringLiteral("; "));
}
