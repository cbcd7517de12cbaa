#include "reports/ctrfrowtest.h"
#include "collect/failuredifference.h"
#include "collect/trafficlog.h"
#include "reports/ctrffields.h"
#include "results/hookruns.h"

#include <algorithm>

using namespace CtrfFields;

namespace {

QJsonObject runObject(const RunResults::Run &run)
{
    QJsonObject object = {{QStringLiteral("outcome"), run.verdict.incidentType()},
                          {QStringLiteral("seconds"), run.verdict.seconds},
                          {QStringLiteral("origin"), originObject(run.origin)}};
    insertIfAny(&object, QStringLiteral("messages"), run.verdict.messageLines);
    insertIfAny(&object, QStringLiteral("location"), run.verdict.location);
    insertIfAny(&object, QStringLiteral("notes"), run.notes);
    if (!run.exchanges.isEmpty()) {
        QJsonArray exchanges;
        for (const QJsonObject &exchange : run.exchanges)
            exchanges.append(exchange);
        object.insert(QStringLiteral("exchanges"), exchanges);
    }
    insertIfAny(&object, QStringLiteral("logLines"), run.logLines);
    return object;
}

QString statusName(RunResults::Outcome outcome)
{
    switch (outcome) {
    case RunResults::Outcome::Passed:
        return passed;
    case RunResults::Outcome::Failed:
        return failed;
    case RunResults::Outcome::Skipped:
    case RunResults::Outcome::NotRun:
        return skipped;
    case RunResults::Outcome::BrokenOff:
        return failed;
    case RunResults::Outcome::Flaky:
    case RunResults::Outcome::Other:
        break;
    }
    // Blacklisted results fail no run, and show as neither failed nor passed.
    return other;
}

QString runStatus(const TestVerdict &verdict) { return statusName(RunResults::outcomeOf(verdict)); }

// By the verdicts alone, a flaky row failed when the last try of a
// repetition failed; one that passed only on a retry passed.
QString verdictStatus(const RunResults::TestCase &row)
{
    const RunResults::Outcome outcome = row.outcome();
    if (outcome == RunResults::Outcome::Flaky)
        return row.failures() > 0 ? failed : passed;
    return statusName(outcome);
}

// A try that failed and ran again, as the format's retry attempts hold them.
QJsonObject retryAttempt(const RunResults &results, const RunResults::Run &run)
{
    QJsonObject attempt = {{QStringLiteral("attempt"), run.origin.attempt},
                           {QStringLiteral("status"), runStatus(run.verdict)},
                           {QStringLiteral("duration"), milliseconds(run.verdict.seconds)}};
    insertIfAny(&attempt, QStringLiteral("message"), run.verdict.messageLines.join(QLatin1Char('\n')));
    insertIfAny(&attempt, QStringLiteral("trace"), run.verdict.location);
    insertIfAny(&attempt, QStringLiteral("stdout"), run.notes + TrafficLog::lines(run.exchanges));
    if (results.environment().repeat > 1)
        attempt.insert(QStringLiteral("extra"), QJsonObject{{QStringLiteral("repetition"), run.origin.repetition}});
    return attempt;
}

// The status the results give the row, in the format's words, with the
// message, trace and output of the verdict it shows. Findings fail it
// whatever its verdicts, so that CI marks it. Returns what differs in the
// failure it shows.
ValueDifference insertStatus(const RunResults &results, const RunResults::TestCase &row, QJsonObject *test)
{
    ValueDifference difference;
    const QVector<RunResults::Run> ended = row.finalVerdicts();
    QStringList statuses;
    for (const RunResults::Run &run : ended)
        statuses.append(runStatus(run.verdict));
    QString status = verdictStatus(row);
    QStringList message;
    const int shown = statuses.indexOf(status);
    if (shown >= 0) {
        const RunResults::Run &run = ended.at(shown);
        if (ended.size() > 1 && status == failed) {
            message.append(row.isFlaky()
                               ? QStringLiteral("flaky: passed %1 of %2 runs").arg(row.passes()).arg(ended.size())
                               : QStringLiteral("failed %1 of %2 runs").arg(row.failures()).arg(ended.size()));
        } else if (row.passedOnRetry()) {
            message.append(QStringLiteral("flaky: ") + results.retryText(row));
        }
        if (status != passed)
            message += run.verdict.messageLines;
        insertIfAny(test, QStringLiteral("trace"), run.verdict.location);
        if (status == failed) {
            insertIfAny(test, QStringLiteral("stdout"), run.notes + TrafficLog::lines(run.exchanges));
            difference = FailureDifference::of(run.verdict, run.exchanges);
        }
    }
    // The format has no flaky test that fails the run: its message says so.
    const RowStatus rowStatus = results.status(row);
    if (rowStatus.cause == RowStatus::Cause::PassedOnlyOnRetry) {
        status = failed;
        message.append(rowStatus.reason);
    }
    if (!row.findings.isEmpty() && status != failed) {
        status = failed;
        message.append(findingMessage(row.findings.constFirst().finding));
    }
    test->insert(QStringLiteral("status"), status);
    insertIfAny(test, QStringLiteral("message"), message.join(QLatin1Char('\n')));
    insertIfAny(test, QStringLiteral("stderr"), findingLines(row.findings));
    return difference;
}

// The tries that failed and ran again, and whether the row is flaky.
void insertRetries(const RunResults &results, const RunResults::TestCase &row, QJsonObject *test)
{
    const QVector<RunResults::Run> ended = row.finalVerdicts();
    if (row.retries() > 0) {
        test->insert(QStringLiteral("retries"), row.retries());
        QJsonArray attempts;
        for (const RunResults::Run &run : row.endedRuns()) {
            if (!std::any_of(ended.cbegin(), ended.cend(), [&run](const RunResults::Run &last) {
                    return last.origin.repetition == run.origin.repetition && last.origin.attempt == run.origin.attempt;
                }))
                attempts.append(retryAttempt(results, run));
        }
        test->insert(QStringLiteral("retryAttempts"), attempts);
    }
    if (ended.size() > 1 || row.retries() > 0)
        test->insert(QStringLiteral("flaky"), row.isFlaky());
}

// korvu-check's own fields: every run as recorded, and the findings.
QJsonObject rowExtra(const RunResults &results, const RunResults::TestCase &recorded)
{
    const TestVerdict &named = recorded.runs.constFirst().verdict;
    QJsonObject extra = {{QStringLiteral("kind"), rowKind}, {QStringLiteral("function"), named.function}};
    insertIfAny(&extra, QStringLiteral("row"), named.row);
    const RunResults::Environment environment = results.environment();
    if (environment.sliceCount > 0)
        extra.insert(QStringLiteral("slice"),
                     QStringLiteral("%1/%2").arg(environment.sliceIndex).arg(environment.sliceCount));
    QJsonArray runs;
    for (const RunResults::Run &run : recorded.runs)
        runs.append(runObject(run));
    extra.insert(QStringLiteral("runs"), runs);
    if (!recorded.findings.isEmpty())
        extra.insert(QStringLiteral("findings"), findingsArray(recorded.findings));
    return extra;
}

} // namespace

QJsonObject CtrfRowTest::of(const RunResults &results, const RunResults::TestCase &recorded)
{
    const RunResults::TestCase row = HookRuns::merged(recorded);
    const QVector<RunResults::Run> ended = row.finalVerdicts();
    double seconds = 0;
    for (const RunResults::Run &run : ended)
        seconds += run.verdict.seconds;
    QJsonObject test = {{QStringLiteral("name"), results.reportedName(row.testName)},
                        {QStringLiteral("duration"), milliseconds(seconds)}};
    const ValueDifference difference = insertStatus(results, row, &test);
    if (ended.size() == 1)
        test.insert(QStringLiteral("rawStatus"), ended.constFirst().verdict.label());
    insertRetries(results, row, &test);
    QJsonObject extra = rowExtra(results, recorded);
    if (!difference.isEmpty())
        extra.insert(QStringLiteral("difference"), difference.toJson());
    test.insert(QStringLiteral("extra"), extra);
    return test;
}
