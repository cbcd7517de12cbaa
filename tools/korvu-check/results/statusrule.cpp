#include "results/statusrule.h"

#include <algorithm>

StatusRule::StatusRule(bool failOnFlaky, const QVector<RunResults::BrokenOffProcess> &breaks)
    : m_failOnFlaky(failOnFlaky)
    , m_breaks(breaks)
{
}

RowStatus StatusRule::statusOf(const RunResults::TestCase &row) const
{
    RowStatus status;
    status.testName = row.testName;
    status.outcome = row.runs.isEmpty() ? RowStatus::Outcome::BrokenOff : row.outcome();
    QVector<RunResults::BrokenOffProcess> brokenOff;
    for (const RunResults::BrokenOffProcess &suiteBreak : m_breaks) {
        if (suiteBreak.testName == row.testName)
            brokenOff.append(suiteBreak);
    }
    const int failures = row.failures();
    status.failures = failures + brokenOff.size();
    if (failures > 0) {
        const int repetitions = row.finalVerdicts().size();
        status.cause = RowStatus::Cause::LastTryFailed;
        status.reason = repetitions > 1
                            ? QStringLiteral("its last try failed in %1 of %2 runs").arg(failures).arg(repetitions)
                            : QStringLiteral("its last try failed");
    } else if (m_failOnFlaky && row.passedOnRetry()) {
        // Once, however many repetitions passed only on a retry: the row
        // fails the run, not each of its runs.
        ++status.failures;
        status.cause = RowStatus::Cause::PassedOnlyOnRetry;
        status.reason = QStringLiteral("passed only on a retry, and --fail-on-flaky is set");
    } else if (!row.findings.isEmpty()) {
        const DaemonFinding &finding = row.findings.constFirst().finding;
        status.cause = RowStatus::Cause::Finding;
        status.reason = QStringLiteral("the daemon reported a finding: %1: %2")
                            .arg(finding.kindName(), finding.lines.value(0));
    } else if (!brokenOff.isEmpty()) {
        status.cause = RowStatus::Cause::BrokenOff;
        status.reason = brokenOff.constFirst().describedWithShard();
    }
    return status;
}

RowStatus StatusRule::statusOf(const RunResults::NotRunTest &notRun)
{
    RowStatus status;
    status.testName = notRun.testName;
    status.outcome = RowStatus::Outcome::NotRun;
    status.reason = notRun.reason;
    return status;
}

QVector<RowStatus> StatusRule::statusesOf(const QVector<RunResults::TestCase> &rows) const
{
    QVector<RowStatus> all;
    for (const RunResults::TestCase &row : rows)
        all.append(statusOf(row));
    for (const RunResults::BrokenOffProcess &suiteBreak : m_breaks) {
        const QString &name = suiteBreak.testName;
        if (name.isEmpty()
            || std::any_of(all.cbegin(), all.cend(), [&name](const RowStatus &s) { return s.testName == name; }))
            continue;
        all.append(statusOf(RunResults::TestCase{name, {}, {}}));
    }
    return all;
}

int StatusRule::failureCount(const QVector<RunResults::TestCase> &rows) const
{
    int failures = 0;
    for (const RunResults::BrokenOffProcess &suiteBreak : m_breaks)
        failures += suiteBreak.testName.isEmpty() ? 1 : 0;
    const QVector<RowStatus> all = statusesOf(rows);
    for (const RowStatus &status : all)
        failures += status.failures;
    return failures;
}
