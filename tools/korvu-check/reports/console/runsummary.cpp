#include "reports/console/runsummary.h"
#include "collect/failuredifference.h"
#include "collect/trafficlog.h"
#include "reports/reporter.h"

namespace {

const QString progressIndent = QStringLiteral("      ");
const QString failureIndent = QStringLiteral("    ");
// Lines of a finding's report shown under its row as the run goes.
const int shownFindingLines = 6;

QString runList(const QVector<int> &repetitions, int repeat)
{
    QStringList numbers;
    for (int repetition : repetitions)
        numbers.append(QString::number(repetition));
    return QStringLiteral("(run%1 %2 of %3)")
        .arg(repetitions.size() == 1 ? QString() : QStringLiteral("s"), numbers.join(QStringLiteral(", ")))
        .arg(repeat);
}

} // namespace

RunSummary::RunSummary(const RunResults &results)
    : m_results(results)
    , m_rows(results.rowsWithHooksMerged())
    , m_breaks(results.breaks())
    , m_findings(results.findings())
    , m_counts(results.counts())
    , m_repeat(results.environment().repeat)
    , m_retries(results.environment().retries)
{
}

QStringList RunSummary::progressLines(const TestVerdict &verdict, const QString &testName, const QString &context)
{
    QStringList lines;
    lines.append(verdict.label().leftJustified(5) + QLatin1Char(' ') + testName + QStringLiteral("  ")
                 + Reporter::seconds(verdict.seconds)
                 + (context.isEmpty() ? QString() : QStringLiteral("  ") + context));
    if (!verdict.carriesNoMessage())
        lines += detailLines(verdict, progressIndent);
    return lines;
}

QStringList RunSummary::passedOnRetryLines(const TestVerdict &verdict, const QString &testName, const QString &tryName,
                                           const QString &context)
{
    return {QStringLiteral("FLAKY %1  passed on %2  %3").arg(testName, tryName, Reporter::seconds(verdict.seconds))
            + (context.isEmpty() ? QString() : QStringLiteral("  ") + context)};
}

QStringList RunSummary::findingLines(const DaemonFinding &finding, const QString &testName, const QString &context)
{
    QStringList lines = {QStringLiteral("FINDING %1 in %2").arg(finding.kindName(), testName)
                         + (context.isEmpty() ? QString() : QStringLiteral("  ") + context)};
    const QStringList report = finding.shortLines(shownFindingLines);
    for (const QString &line : report)
        lines.append(progressIndent + line);
    return lines;
}

QStringList RunSummary::summaryLines(double wallSeconds, const QStringList &notes) const
{
    QStringList lines;
    lines.append(QString());
    if (m_repeat > 1) {
        lines += tallyLines();
        lines.append(QString());
    }
    QStringList failures;
    QStringList retried;
    for (const RunResults::TestCase &row : m_rows) {
        failures += failureLines(row, false);
        if (!row.passedOnRetry())
            continue;
        const RowStatus status = m_results.status(row);
        retried.append(
            QStringLiteral("  FLAKY %1  %2").arg(m_results.reportedName(row.testName), m_results.retryText(row))
            + (status.cause == RowStatus::Cause::PassedOnlyOnRetry
                   ? QStringLiteral("  (fails the run: %1)").arg(status.reason)
                   : QString()));
        retried += failureLines(row, true);
    }
    for (const RunResults::BrokenOffProcess &suiteBreak : m_breaks) {
        failures.append(QStringLiteral("  FAIL ")
                        + suiteBreak.describedWithShard(m_repeat > 1 ? runList({suiteBreak.origin.repetition}, m_repeat)
                                                                     : QString()));
        for (const QString &line : suiteBreak.lastOutput)
            failures.append(failureIndent + line);
    }
    if (!failures.isEmpty()) {
        lines.append(QStringLiteral("Failures:"));
        lines += failures;
        lines.append(QString());
    }
    if (!retried.isEmpty()) {
        lines.append(QStringLiteral("Passed on a retry:"));
        lines += retried;
        lines.append(QString());
    }
    lines += findingsSection();
    lines += notRunSection();
    lines.append(QStringLiteral("Wall time: ") + Reporter::seconds(wallSeconds));
    if (m_counts.blacklisted > 0)
        lines.append(QStringLiteral("Blacklisted: %1").arg(m_counts.blacklisted));
    if (m_repeat > 1 || m_retries > 0)
        lines.append(QStringLiteral("Flaky: %1").arg(m_counts.flaky)
                     + (m_results.environment().failOnFlaky && m_counts.passedOnRetry > 0
                            ? QStringLiteral(" (they fail the run: --fail-on-flaky)")
                            : QString()));
    lines += notes;
    if (!m_findings.isEmpty())
        lines.append(QStringLiteral("Findings: %1").arg(m_findings.size()));
    lines.append(QStringLiteral("%1 passed, %2 failed, %3 skipped")
                     .arg(m_counts.passed)
                     .arg(m_counts.failed)
                     .arg(m_counts.skipped)
                 + (m_counts.notRun > 0 ? QStringLiteral(", %1 not run").arg(m_counts.notRun) : QString()));
    return lines;
}

QStringList RunSummary::notRunSection() const
{
    const QVector<RunResults::NotRunTest> notRun = m_results.notRun();
    if (notRun.isEmpty())
        return {};
    QStringList lines = {QStringLiteral("Not run:")};
    for (const RunResults::NotRunTest &test : notRun)
        lines.append(QStringLiteral("  %1  (%2)").arg(m_results.reportedName(test.testName), test.reason));
    lines.append(QString());
    return lines;
}

QStringList RunSummary::findingsSection() const
{
    if (m_findings.isEmpty())
        return {};
    QStringList lines;
    lines.append(QStringLiteral("Findings in korvud's output:"));
    for (const RunResults::Finding &found : m_findings) {
        QStringList where;
        if (!found.origin.shardName.isEmpty())
            where.append(found.origin.shardName);
        if (m_repeat > 1)
            where.append(runList({found.origin.repetition}, m_repeat));
        lines.append(
            QStringLiteral("  %1 %2").arg(found.finding.kindName(), m_results.reportedName(found.finding.testName()))
            + (where.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(where.join(QStringLiteral(", ")))));
        lines.append(failureIndent + found.finding.lines.constFirst());
    }
    lines.append(QString());
    return lines;
}

QStringList RunSummary::tallyLines() const
{
    QStringList lines = {QStringLiteral("Runs passed, per function and row:")};
    for (const RunResults::TestCase &row : m_rows) {
        const QString tally = QStringLiteral("%1/%2").arg(row.passes()).arg(row.finalVerdicts().size());
        QString mark;
        switch (row.outcome()) {
        case RunResults::Outcome::Flaky:
            mark = QStringLiteral("  FLAKY");
            break;
        case RunResults::Outcome::Skipped:
            mark = QStringLiteral("  skipped");
            break;
        case RunResults::Outcome::Other:
            mark = QStringLiteral("  other");
            break;
        case RunResults::Outcome::Passed:
        case RunResults::Outcome::Failed:
        case RunResults::Outcome::BrokenOff:
        case RunResults::Outcome::NotRun:
            break;
        }
        lines.append(
            QStringLiteral("  %1  %2%3").arg(tally.rightJustified(5), m_results.reportedName(row.testName), mark));
    }
    return lines;
}

// The failures of a row; runs that failed alike are shown once.
QStringList RunSummary::failureLines(const RunResults::TestCase &row, bool ofPassedRepetitions) const
{
    QVector<int> passedRepetitions;
    const QVector<RunResults::Run> last = row.finalVerdicts();
    for (const RunResults::Run &run : last) {
        if (!run.verdict.isFailure())
            passedRepetitions.append(run.origin.repetition);
    }
    QVector<RunResults::Run> shown;
    QVector<QVector<RunResults::Origin>> places;
    for (const RunResults::Run &run : row.runs) {
        if (!run.verdict.isFailure() || passedRepetitions.contains(run.origin.repetition) != ofPassedRepetitions)
            continue;
        int alike = 0;
        while (alike < shown.size()
               && (shown.at(alike).verdict.messageLines != run.verdict.messageLines
                   || shown.at(alike).verdict.outcome != run.verdict.outcome))
            ++alike;
        if (alike == shown.size()) {
            shown.append(run);
            places.append(QVector<RunResults::Origin>());
        }
        places[alike].append(run.origin);
    }

    QStringList lines;
    for (int i = 0; i < shown.size(); ++i) {
        const RunResults::Run &run = shown.at(i);
        QString header = QStringLiteral("  ") + run.verdict.label() + QLatin1Char(' ')
                         + m_results.reportedName(row.testName);
        const QString where = placeList(places.at(i));
        if (!where.isEmpty())
            header += QStringLiteral("  ") + where;
        lines.append(header);
        lines += detailLines(run.verdict, failureIndent);
        const QStringList difference = FailureDifference::of(run.verdict, run.exchanges).lines();
        if (!difference.isEmpty())
            lines.append(failureIndent + QStringLiteral("difference:"));
        for (const QString &field : difference)
            lines.append(failureIndent + QStringLiteral("  ") + field);
        for (const QString &note : run.notes)
            lines.append(failureIndent + note);
        const QStringList exchanges = TrafficLog::lines(run.exchanges);
        for (const QString &exchange : exchanges)
            lines.append(failureIndent + exchange);
    }
    return lines;
}

// "(runs 1, 3 of 3)", "(tries 1, 2 of 3)", "(run 1: try 1 of 2; run 3: tries 1, 2 of 2)"
QString RunSummary::placeList(const QVector<RunResults::Origin> &origins) const
{
    if (m_retries == 0) {
        if (m_repeat == 1)
            return QString();
        QVector<int> repetitions;
        for (const RunResults::Origin &origin : origins)
            repetitions.append(origin.repetition);
        return runList(repetitions, m_repeat);
    }
    QStringList perRepetition;
    for (int first = 0; first < origins.size();) {
        QStringList tries;
        int end = first;
        for (; end < origins.size() && origins.at(end).repetition == origins.at(first).repetition; ++end)
            tries.append(QString::number(origins.at(end).attempt));
        const QString list = QStringLiteral("%1 %2 of %3")
                                 .arg(tries.size() == 1 ? QStringLiteral("try") : QStringLiteral("tries"),
                                      tries.join(QStringLiteral(", ")))
                                 .arg(m_retries + 1);
        perRepetition.append(m_repeat > 1 ? QStringLiteral("run %1: %2").arg(origins.at(first).repetition).arg(list)
                                          : list);
        first = end;
    }
    return QLatin1Char('(') + perRepetition.join(QStringLiteral("; ")) + QLatin1Char(')');
}

QStringList RunSummary::detailLines(const TestVerdict &verdict, const QString &indent)
{
    QStringList lines;
    for (const QString &message : verdict.messageLines)
        lines.append(indent + message);
    if (verdict.isFailure() && !verdict.location.isEmpty())
        lines.append(indent + QStringLiteral("at ") + verdict.location);
    return lines;
}
