#include "results/runresults.h"
#include "results/hookruns.h"
#include "results/statusrule.h"

#include <algorithm>
#include <iterator>

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

QString RunResults::BrokenOffProcess::describedWithShard(const QString &morePlace) const
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
    setup.m_notRun.clear();
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
    auto row = std::find_if(m_rows.begin(), m_rows.end(),
                            [&testName](const TestCase &r) { return r.testName == testName; });
    if (row == m_rows.end())
        row = m_rows.insert(m_rows.end(), TestCase{testName, {}, {}});
    row->runs.append(run);
}

void RunResults::addLogLine(const QString &testName, const Origin &origin, const QString &line)
{
    m_pendingLogLines[{origin.job, testName}].append(line);
}

void RunResults::addBreak(const BrokenOffProcess &suiteBreak) { m_breaks.append(suiteBreak); }

void RunResults::addFinding(const DaemonFinding &finding, const Origin &origin)
{
    m_findings.append({finding, origin});
}

void RunResults::addNotRun(const QStringList &plannedTestNames, const QString &reason)
{
    for (const QString &testName : plannedTestNames) {
        if (!ranOrBrokeOff(testName)
            && std::none_of(m_notRun.cbegin(), m_notRun.cend(),
                            [&testName](const NotRunTest &known) { return known.testName == testName; }))
            m_notRun.append({testName, reason});
    }
}

QVector<RunResults::NotRunTest> RunResults::notRun() const
{
    QVector<NotRunTest> notRun;
    // Another slice merged in may have run it.
    std::copy_if(m_notRun.cbegin(), m_notRun.cend(), std::back_inserter(notRun),
                 [this](const NotRunTest &test) { return !ranOrBrokeOff(test.testName); });
    auto position = [this](const NotRunTest &test) {
        const int index = m_order.indexOf(test.testName);
        return index < 0 ? m_order.size() : index;
    };
    std::stable_sort(notRun.begin(), notRun.end(),
                     [&position](const NotRunTest &a, const NotRunTest &b) { return position(a) < position(b); });
    return notRun;
}

bool RunResults::ranOrBrokeOff(const QString &testName) const
{
    return std::any_of(m_rows.cbegin(), m_rows.cend(),
                       [&testName](const TestCase &row) { return row.testName == testName; })
           || std::any_of(m_breaks.cbegin(), m_breaks.cend(),
                          [&testName](const BrokenOffProcess &suiteBreak) { return suiteBreak.testName == testName; });
}

void RunResults::attachTraffic(int job, const ExchangesOf &exchangesOf, const FailureNote &noteFor)
{
    for (TestCase &row : m_rows) {
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

QVector<RunResults::TestCase> RunResults::rowsWithHooksMerged() const
{
    QVector<TestCase> rows = rowsWithEveryHookRun();
    for (TestCase &row : rows)
        row = HookRuns::merged(row);
    return rows;
}

QVector<RunResults::TestCase> RunResults::rowsWithEveryHookRun() const
{
    QVector<TestCase> rows = m_rows;
    auto position = [this](const TestCase &row) {
        const int index = m_order.indexOf(row.testName);
        return index < 0 ? m_order.size() : index;
    };
    std::stable_sort(rows.begin(), rows.end(),
                     [&position](const TestCase &a, const TestCase &b) { return position(a) < position(b); });
    for (TestCase &row : rows) {
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
    const QVector<TestCase> ordered = rowsWithHooksMerged();
    for (const TestCase &row : ordered)
        all += row.findings;
    return all + findingsWithoutVerdict();
}

QVector<RunResults::Finding> RunResults::findingsWithoutVerdict() const
{
    QVector<Finding> unplaced;
    for (const Finding &finding : m_findings) {
        const QString name = finding.finding.testName();
        if (std::none_of(m_rows.cbegin(), m_rows.cend(), [&name](const TestCase &row) { return row.testName == name; }))
            unplaced.append(finding);
    }
    return unplaced;
}

QVector<RunResults::BrokenOffProcess> RunResults::breaks() const
{
    QVector<BrokenOffProcess> breaks = m_breaks;
    std::stable_sort(breaks.begin(), breaks.end(), earlier<BrokenOffProcess>);
    return breaks;
}

RunResults::Counts RunResults::counts() const
{
    Counts counts;
    counts.failed = failureCount();
    const QVector<TestCase> all = rowsWithHooksMerged();
    for (const TestCase &row : all) {
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
    counts.notRun = notRun().size();
    return counts;
}

QVector<RowStatus> RunResults::statuses() const
{
    QVector<RowStatus> all = StatusRule(m_environment.failOnFlaky, breaks()).statusesOf(rowsWithHooksMerged());
    const QVector<NotRunTest> planned = notRun();
    for (const NotRunTest &test : planned)
        all.append(StatusRule::statusOf(test));
    return all;
}

RowStatus RunResults::status(const TestCase &row) const
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
    for (const TestCase &row : m_rows) {
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

QString RunResults::retryText(const TestCase &row) const
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
