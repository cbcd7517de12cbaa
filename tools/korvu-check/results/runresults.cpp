#include "results/runresults.h"
#include "results/hookruns.h"
#include "results/statusrule.h"

#include <algorithm>

namespace {

// The most failures an exit status counts, as the test framework does.
const int countedFailures = 127;

const QStringList hookFunctions = {QStringLiteral("initTestCase"), QStringLiteral("cleanupTestCase")};

// For anything that came from a run: runs, breaks, findings.
template<typename FromRun>
bool earlier(const FromRun &a, const FromRun &b)
{
    if (a.origin.repetition != b.origin.repetition)
        return a.origin.repetition < b.origin.repetition;
    if (a.origin.attempt != b.origin.attempt)
        return a.origin.attempt < b.origin.attempt;
    return a.origin.shard < b.origin.shard;
}

} // namespace

RunResults::Outcome RunResults::outcomeOf(const TestVerdict &verdict)
{
    switch (verdict.outcome) {
    case TestVerdict::Outcome::Pass:
        return Outcome::Passed;
    case TestVerdict::Outcome::Fail:
    case TestVerdict::Outcome::UnexpectedPass:
        return Outcome::Failed;
    case TestVerdict::Outcome::Skip:
        return Outcome::Skipped;
    case TestVerdict::Outcome::ExpectedFail:
    case TestVerdict::Outcome::BlacklistedPass:
    case TestVerdict::Outcome::BlacklistedFail:
    case TestVerdict::Outcome::BlacklistedExpectedFail:
    case TestVerdict::Outcome::BlacklistedUnexpectedPass:
        break;
    }
    return Outcome::Other;
}

RunResults::Outcome RunResults::Row::outcome() const
{
    if (isFlaky())
        return Outcome::Flaky;
    if (failures() > 0)
        return Outcome::Failed;
    const QVector<Run> last = finalVerdicts();
    if (passes() > 0)
        return Outcome::Passed;
    const bool allSkipped = !last.isEmpty() && std::all_of(last.cbegin(), last.cend(), [](const Run &run) {
        return outcomeOf(run.verdict) == Outcome::Skipped;
    });
    return allSkipped ? Outcome::Skipped : Outcome::Other;
}

QVector<RunResults::Run> RunResults::Row::endedRuns() const
{
    QVector<Run> ended;
    for (const Run &run : runs) {
        if (run.verdict.endsTest())
            ended.append(run);
    }
    return ended;
}

QVector<RunResults::Run> RunResults::Row::finalVerdicts() const
{
    QVector<Run> last;
    for (const Run &run : runs) {
        if (!run.verdict.endsTest())
            continue;
        auto same = std::find_if(last.begin(), last.end(),
                                 [&run](const Run &kept) { return kept.origin.repetition == run.origin.repetition; });
        if (same == last.end())
            last.append(run);
        else if (run.origin.attempt > same->origin.attempt)
            *same = run;
    }
    return last;
}

int RunResults::Row::passes() const
{
    const QVector<Run> last = finalVerdicts();
    return std::count_if(last.cbegin(), last.cend(),
                         [](const Run &run) { return outcomeOf(run.verdict) == Outcome::Passed; });
}

int RunResults::Row::failures() const
{
    const QVector<Run> last = finalVerdicts();
    return std::count_if(last.cbegin(), last.cend(),
                         [](const Run &run) { return outcomeOf(run.verdict) == Outcome::Failed; });
}

int RunResults::Row::retries() const
{
    const QVector<Run> last = finalVerdicts();
    int retried = 0;
    for (const Run &run : last)
        retried += run.origin.attempt - 1;
    return retried;
}

bool RunResults::Row::passedOnRetry() const
{
    const QVector<Run> last = finalVerdicts();
    return std::any_of(last.cbegin(), last.cend(), [](const Run &run) {
        return run.origin.attempt > 1 && run.verdict.outcome == TestVerdict::Outcome::Pass;
    });
}

QString RunResults::Break::describedWithShard(const QString &morePlace) const
{
    QStringList place;
    if (!origin.shardName.isEmpty())
        place.append(origin.shardName);
    if (!morePlace.isEmpty())
        place.append(morePlace);
    if (place.isEmpty())
        return description;
    // "its last output:" stays in front of the output it introduces.
    if (description.endsWith(QLatin1Char(':')))
        return QStringLiteral("%1 (%2):").arg(description.chopped(1), place.join(QStringLiteral(", ")));
    return QStringLiteral("%1 (%2)").arg(description, place.join(QStringLiteral(", ")));
}

bool RunResults::Row::isFlaky() const { return passedOnRetry() || (passes() > 0 && failures() > 0); }

void RunResults::setEnvironment(const Environment &environment) { m_environment = environment; }

RunResults::Environment RunResults::environment() const { return m_environment; }

void RunResults::setBuildHashes(const QString &daemonSha256, const QString &suiteSha256)
{
    m_environment.daemonSha256 = daemonSha256;
    m_environment.suiteSha256 = suiteSha256;
}

void RunResults::setShardCount(int count) { m_shardCount = count; }

int RunResults::shardCount() const { return m_shardCount; }

void RunResults::setStopTime(const QDateTime &stopTime) { m_stopTime = stopTime; }

QDateTime RunResults::stopTime() const { return m_stopTime; }

void RunResults::setSuiteFile(const QString &fileName) { m_suiteFile = fileName; }

QString RunResults::suiteFile() const { return m_suiteFile; }

void RunResults::setSuiteName(const QString &name) { m_suiteName = name; }

QString RunResults::suiteName() const { return m_suiteName.isEmpty() ? m_suiteFile : m_suiteName; }

void RunResults::setStartTime(const QDateTime &startTime) { m_startTime = startTime; }

QDateTime RunResults::startTime() const { return m_startTime; }

void RunResults::setSeconds(double seconds) { m_seconds = seconds; }

double RunResults::seconds() const { return m_seconds; }

void RunResults::addOutputLine(const QString &line) { m_outputLines.append(line); }

QStringList RunResults::outputLines() const { return m_outputLines; }

void RunResults::addSetupError(const QString &message, const QStringList &details)
{
    m_setupErrors.append({message, details});
}

QVector<RunResults::SetupError> RunResults::setupErrors() const { return m_setupErrors; }

RunResults RunResults::withoutSuiteResults() const
{
    // Everything else stays: a slice that stopped early is still a slice of
    // its run, which its environment and order show.
    RunResults setup = *this;
    setup.m_rows.clear();
    setup.m_breaks.clear();
    setup.m_findings.clear();
    setup.m_pendingLogLines.clear();
    return setup;
}

void RunResults::setOrder(const QStringList &testNames) { m_order = testNames; }

QStringList RunResults::order() const { return m_order; }

void RunResults::addVerdict(const TestVerdict &verdict, const Origin &origin)
{
    // An expected failure's messages belong to the verdict that ends the row.
    const QStringList logLines = verdict.endsTest() ? m_pendingLogLines.take({origin.job, verdict.testName()})
                                                    : QStringList();
    addRun({verdict, origin, {}, {}, logLines});
}

void RunResults::addRun(const Run &run)
{
    const QString testName = run.verdict.testName();
    auto row = std::find_if(m_rows.begin(), m_rows.end(), [&testName](const Row &r) { return r.testName == testName; });
    if (row == m_rows.end())
        row = m_rows.insert(m_rows.end(), Row{testName, {}, {}});
    row->runs.append(run);
}

void RunResults::addLogLine(const QString &testName, const Origin &origin, const QString &line)
{
    m_pendingLogLines[{origin.job, testName}].append(line);
}

void RunResults::addBreak(const Break &suiteBreak) { m_breaks.append(suiteBreak); }

void RunResults::addFinding(const DaemonFinding &finding, const Origin &origin)
{
    m_findings.append({finding, origin});
}

void RunResults::attachTraffic(int job, const ExchangesOf &exchangesOf, const FailureNote &noteFor)
{
    for (Row &row : m_rows) {
        for (Run &run : row.runs) {
            if (run.origin.job != job || !run.verdict.endsTest())
                continue;
            run.exchanges = exchangesOf(run.verdict.testName());
            if (!run.verdict.isFailure())
                continue;
            const QString note = noteFor(run.verdict, run.exchanges);
            if (!note.isEmpty())
                run.notes.append(note);
        }
    }
}

QVector<RunResults::Row> RunResults::rowsWithHooksMerged() const
{
    QVector<Row> rows = rowsWithEveryHookRun();
    for (Row &row : rows)
        row = HookRuns::merged(row);
    return rows;
}

QVector<RunResults::Row> RunResults::rowsWithEveryHookRun() const
{
    QVector<Row> rows = m_rows;
    auto position = [this](const Row &row) {
        const int index = m_order.indexOf(row.testName);
        return index < 0 ? m_order.size() : index;
    };
    std::stable_sort(rows.begin(), rows.end(),
                     [&position](const Row &a, const Row &b) { return position(a) < position(b); });
    for (Row &row : rows) {
        std::stable_sort(row.runs.begin(), row.runs.end(), earlier<Run>);
        for (const Finding &finding : m_findings) {
            if (finding.finding.testName() == row.testName)
                row.findings.append(finding);
        }
        std::stable_sort(row.findings.begin(), row.findings.end(), earlier<Finding>);
    }
    return rows;
}

QVector<RunResults::Finding> RunResults::findings() const
{
    QVector<Finding> all;
    const QVector<Row> ordered = rowsWithHooksMerged();
    for (const Row &row : ordered)
        all += row.findings;
    return all + findingsWithoutVerdict();
}

QVector<RunResults::Finding> RunResults::findingsWithoutVerdict() const
{
    QVector<Finding> unplaced;
    for (const Finding &finding : m_findings) {
        const QString name = finding.finding.testName();
        if (std::none_of(m_rows.cbegin(), m_rows.cend(), [&name](const Row &row) { return row.testName == name; }))
            unplaced.append(finding);
    }
    return unplaced;
}

QVector<RunResults::Break> RunResults::breaks() const
{
    QVector<Break> breaks = m_breaks;
    std::stable_sort(breaks.begin(), breaks.end(), earlier<Break>);
    return breaks;
}

RunResults::Counts RunResults::counts() const
{
    Counts counts;
    counts.failed = failureCount();
    const QVector<Row> all = rowsWithHooksMerged();
    for (const Row &row : all) {
        counts.passed += row.passes();
        if (status(row).cause == RowStatus::Cause::PassedOnlyOnRetry)
            --counts.passed;
        counts.flaky += row.isFlaky() ? 1 : 0;
        counts.passedOnRetry += row.passedOnRetry() ? 1 : 0;
        // A try that was run again counts in no total: its retry does.
        for (const Run &run : row.finalVerdicts()) {
            counts.skipped += outcomeOf(run.verdict) == Outcome::Skipped ? 1 : 0;
            counts.blacklisted += run.verdict.isBlacklisted() ? 1 : 0;
        }
    }
    return counts;
}

QVector<RowStatus> RunResults::statuses() const
{
    return StatusRule(m_environment.failOnFlaky, breaks()).statusesOf(rowsWithHooksMerged());
}

RowStatus RunResults::status(const Row &row) const
{
    return StatusRule(m_environment.failOnFlaky, breaks()).statusOf(row);
}

int RunResults::failureCount() const
{
    return StatusRule(m_environment.failOnFlaky, breaks()).failureCount(rowsWithHooksMerged());
}

int RunResults::failureStatus() const { return qMin(failureCount(), countedFailures); }

QHash<QString, double> RunResults::meanSeconds() const
{
    QHash<QString, double> means;
    for (const Row &row : m_rows) {
        if (row.runs.isEmpty() || isHook(row.runs.constFirst().verdict))
            continue;
        const QVector<Run> ended = row.endedRuns();
        if (ended.isEmpty())
            continue;
        double total = 0;
        for (const Run &run : ended)
            total += run.verdict.seconds;
        means.insert(row.testName, total / ended.size());
    }
    return means;
}

QString RunResults::reportedName(const QString &testName) const
{
    if (m_environment.sliceCount == 0 || !isHookFunction(testName))
        return testName;
    return TestVerdict::testName(
        testName, QStringLiteral("slice %1/%2").arg(m_environment.sliceIndex).arg(m_environment.sliceCount));
}

QString RunResults::tryName(const Origin &origin) const
{
    return QStringLiteral("try %1 of %2").arg(origin.attempt).arg(m_environment.retries + 1);
}

QString RunResults::retryText(const Row &row) const
{
    QStringList repetitions;
    QString onlyTry;
    const QVector<Run> last = row.finalVerdicts();
    for (const Run &run : last) {
        if (run.origin.attempt > 1 && run.verdict.outcome == TestVerdict::Outcome::Pass) {
            repetitions.append(QString::number(run.origin.repetition));
            onlyTry = tryName(run.origin);
        }
    }
    if (repetitions.isEmpty())
        return QString();
    if (m_environment.repeat == 1)
        return QStringLiteral("passed on ") + onlyTry;
    return QStringLiteral("passed on a retry in run%1 %2")
        .arg(repetitions.size() == 1 ? QString() : QStringLiteral("s"), repetitions.join(QStringLiteral(", ")));
}

QStringList RunResults::withHooks(const QStringList &testNames)
{
    return QStringList{hookFunctions.constFirst()} + testNames + QStringList{hookFunctions.constLast()};
}

bool RunResults::isHook(const TestVerdict &verdict) { return isHookFunction(verdict.function); }

bool RunResults::isHookFunction(const QString &function) { return hookFunctions.contains(function); }
