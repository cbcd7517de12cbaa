#include "reports/console/progressreport.h"
#include "reports/console/runsummary.h"

#include <QTextStream>

ProgressReport::ProgressReport(QTextStream &out)
    : m_out(out)
{
}

void ProgressReport::verdictRead(const RunResults &results, const RunResults::Origin &origin,
                                 const TestVerdict &verdict)
{
    // Only a failure of a hook is news when each shard runs them.
    const bool shardedHook = !origin.shardName.isEmpty() && RunResults::isHook(verdict);
    if (shardedHook && !verdict.isFailure()) {
        showFindings(results, origin, verdict.testName());
        return;
    }
    bool shownBefore = false;
    if (shardedHook) {
        const QString key = QStringLiteral("%1|%2|%3")
                                .arg(verdict.testName())
                                .arg(origin.repetition)
                                .arg(verdict.messageLines.join(QLatin1Char('\n')));
        shownBefore = m_shownHookFailures.contains(key);
        m_shownHookFailures.insert(key);
    }
    const QString name = results.reportedName(verdict.testName());
    // Under --retries a failure says which try it was, and so does every retry.
    const bool withTry = results.environment().retries > 0 && !RunResults::isHook(verdict)
                         && (origin.attempt > 1 || verdict.isFailure());
    const QStringList lines = origin.attempt > 1 && verdict.outcome == TestVerdict::Outcome::Pass
                                  ? RunSummary::passedOnRetryLines(verdict, name, results.tryName(origin),
                                                                   context(results, origin, false, false))
                                  : RunSummary::progressLines(verdict, name,
                                                              context(results, origin, shardedHook, withTry));
    print(shownBefore ? QStringList{lines.constFirst()} : lines);
    if (verdict.endsTest())
        showFindings(results, origin, verdict.testName());
}

void ProgressReport::findingMade(const RunResults &results, const RunResults::Origin &origin,
                                 const DaemonFinding &finding)
{
    Q_UNUSED(results)
    m_unshownFindings[origin.job].append(finding);
}

// Those whose function or row ended before they came, or never did.
void ProgressReport::processEnded(const RunResults &results, const RunResults::Origin &origin)
{
    showFindings(results, origin, QString());
}

void ProgressReport::showFindings(const RunResults &results, const RunResults::Origin &origin, const QString &testName)
{
    QVector<DaemonFinding> &unshown = m_unshownFindings[origin.job];
    const QString where = context(results, origin, true, false);
    for (auto it = unshown.begin(); it != unshown.end();) {
        if (!testName.isEmpty() && it->testName() != testName) {
            ++it;
            continue;
        }
        print(RunSummary::findingLines(*it, results.reportedName(it->testName()), where));
        it = unshown.erase(it);
    }
}

QString ProgressReport::context(const RunResults &results, const RunResults::Origin &origin, bool withShard,
                                bool withTry)
{
    QStringList parts;
    if (withShard && !origin.shardName.isEmpty())
        parts.append(origin.shardName);
    const int repeat = results.environment().repeat;
    if (repeat > 1)
        parts.append(QStringLiteral("run %1/%2").arg(origin.repetition).arg(repeat));
    if (withTry)
        parts.append(results.tryName(origin));
    return parts.isEmpty() ? QString() : QLatin1Char('[') + parts.join(QStringLiteral(", ")) + QLatin1Char(']');
}

void ProgressReport::print(const QStringList &lines)
{
    if (m_silent)
        return;
    if (m_holding) {
        m_held += lines;
        return;
    }
    for (const QString &line : lines)
        m_out << line << '\n';
    m_out.flush();
}

void ProgressReport::printPastHold(const QStringList &lines)
{
    const bool holding = m_holding;
    m_holding = false;
    print(lines);
    m_holding = holding;
}

void ProgressReport::hold() { m_holding = true; }

void ProgressReport::release()
{
    m_holding = false;
    print(m_held);
    m_held.clear();
}

void ProgressReport::silence()
{
    m_silent = true;
    m_held.clear();
}
