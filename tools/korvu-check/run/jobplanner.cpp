#include "run/jobplanner.h"
#include "commandline/exitstatus.h"
#include "reports/ctrfdocument.h"

#include <deliveriestimes.h>

#include <QFileInfo>
#include <QProcess>

namespace {

const int listingTimeoutMsecs = 30000;

QString numbered(const QString &word, int number, int count)
{
    return QStringLiteral("%1-%2").arg(word).arg(number, QString::number(count).size(), 10, QLatin1Char('0'));
}

} // namespace

JobPlanner::JobPlanner(const CheckOptions &options, const QString &rootPath)
    : m_options(options)
    , m_rootPath(rootPath)
{
    ShardPlan::splitSuiteArguments(m_options.suiteArguments, &m_selections, &m_suiteOptions);
    m_filter = RowFilter(m_selections, m_options.grep, m_options.grepInvert);
}

void JobPlanner::keepOnly(const QStringList &words) { m_filter.keepOnly(words); }

bool JobPlanner::plan(std::deque<SuiteJob> *jobs, RunResults *results, Failure *failure)
{
    QStringList suiteArguments = m_options.suiteArguments;
    Selection selection;
    // The suite itself would run nothing for a selection it does not have,
    // and pass. A run that may stop early must know what it leaves unrun.
    const bool mayStop = m_options.maxFailures > 0 || m_options.timeoutSecs > 0;
    if (m_options.isSharded() || !m_selections.isEmpty() || m_filter.narrowsBeyondSelections() || mayStop) {
        if (!select(&selection, failure))
            return false;
    }
    // Words that name a test twice are replaced by words that name each selected test once.
    if (m_filter.narrowsBeyondSelections() || m_filter.selectionsOverlap(selection.listed)) {
        m_selections = ShardPlan::selectionsOf(selection.kept, selection.listed);
        suiteArguments = m_suiteOptions + m_selections;
    }
    if (!m_options.isSharded()) {
        QStringList planned;
        for (const ShardPlan::Test &test : qAsConst(selection.kept))
            planned.append(test.testName());
        for (int repetition = 1; repetition <= m_options.repeat; ++repetition) {
            SuiteJob job;
            job.origin = {int(jobs->size()), 0, repetition, QString()};
            job.name = runName(repetition);
            job.arguments = suiteArguments;
            job.testNames = planned;
            jobs->push_back(std::move(job));
        }
        return true;
    }

    failure->status = ExitStatus::BadCommandLine;
    QHash<QString, double> expected;
    QString error;
    if (!expectedSeconds(m_options.durationsFile, &expected, &error)) {
        failure->lines = QStringList{QStringLiteral("--durations-from: %1").arg(error)};
        return false;
    }
    ShardPlan plan;
    if (!ShardPlan::make(selection.listing, m_selections, expected, &plan, &error)) {
        failure->lines = QStringList{error};
        return false;
    }
    // Every slice's order holds the whole plan, so that merged slices keep the suite's order.
    results->setOrder(RunResults::withHooks(plan.testNames()));
    if (m_options.sliceCount > 0)
        plan = plan.slice(m_options.sliceIndex, m_options.sliceCount);

    // A slice without -j runs as one suite process, the suite as written over its rows.
    const QVector<ShardPlan::Shard> shards = plan.processes(m_options.jobs == 0 && !m_options.jobsAuto);
    results->setShardCount(shards.size());
    addShards(shards, jobs);
    return true;
}

bool JobPlanner::select(Selection *selection, Failure *failure) const
{
    if (!listSuite(&selection->listing, &failure->lines)) {
        failure->status = ExitStatus::EnvironmentProblem;
        return false;
    }
    QString error;
    if (ShardPlan::readListing(selection->listing, &selection->listed, &error)
        && m_filter.apply(selection->listed, &selection->kept, &error))
        return true;
    failure->status = ExitStatus::BadCommandLine;
    failure->lines = QStringList{error};
    return false;
}

bool JobPlanner::expectedSeconds(const QString &durationsFile, QHash<QString, double> *expected, QString *error)
{
    *expected = deliveriesExpectedSeconds;
    if (durationsFile.isEmpty())
        return true;
    RunResults earlier;
    if (!CtrfDocument::read(durationsFile, &earlier, error))
        return false;
    *expected = ShardPlan::combinedExpectations(*expected, earlier.meanSeconds());
    return true;
}

// The suite lists its functions and rows itself, so a suite with more of
// them needs nothing new here.
bool JobPlanner::listSuite(QByteArray *listing, QStringList *errorLines) const
{
    QProcess suite;
    suite.setProcessEnvironment(RunTree::withPlatform(QProcessEnvironment::systemEnvironment()));
    suite.setWorkingDirectory(m_rootPath);
    suite.start(m_options.suite, {QStringLiteral("-datatags")});
    if (suite.waitForFinished(listingTimeoutMsecs) && suite.exitStatus() == QProcess::NormalExit
        && suite.exitCode() == 0) {
        *listing = suite.readAllStandardOutput();
        return true;
    }
    suite.kill();
    suite.waitForFinished();
    *errorLines = QStringList{QStringLiteral("%1 -datatags could not list the suite's functions and rows: %2")
                                  .arg(QFileInfo(m_options.suite).fileName(), suite.errorString())};
    const QStringList errors = QString::fromUtf8(suite.readAllStandardError()).trimmed().split(QLatin1Char('\n'));
    for (const QString &line : errors)
        errorLines->append(QStringLiteral("  ") + line);
    return false;
}

void JobPlanner::addShards(const QVector<ShardPlan::Shard> &shards, std::deque<SuiteJob> *jobs)
{
    const bool single = shards.size() == 1;
    for (int repetition = 1; repetition <= m_options.repeat; ++repetition) {
        for (int index = 0; index < shards.size(); ++index) {
            const ShardPlan::Shard &shard = shards.at(index);
            SuiteJob job;
            job.origin = {
                int(jobs->size()), index + 1, repetition,
                single ? QString()
                       : QStringLiteral("shard %1 (%2)").arg(index + 1).arg(shard.selections.join(QLatin1Char(' ')))};
            QStringList nameParts;
            if (!single)
                nameParts.append(numbered(QStringLiteral("shard"), index + 1, shards.size()));
            if (m_options.repeat > 1)
                nameParts.append(runName(repetition));
            job.name = nameParts.join(QLatin1Char('-'));
            job.arguments = m_suiteOptions + shard.selections;
            for (const ShardPlan::Test &test : shard.tests)
                job.testNames.append(test.testName());
            job.expectedSeconds = shard.expectedSeconds;
            job.runsAlone = shard.runsAlone;
            jobs->push_back(std::move(job));
        }
    }
    m_requestedParallel = m_options.jobsAuto ? shards.size() : qMax(1, m_options.jobs);
}

// "run-2" of --repeat 3; "" without --repeat.
QString JobPlanner::runName(int repetition) const
{
    return m_options.repeat > 1 ? numbered(QStringLiteral("run"), repetition, m_options.repeat) : QString();
}

bool JobPlanner::createTrees(std::deque<SuiteJob> *jobs, QString *error) const
{
    for (SuiteJob &job : *jobs) {
        if (!createTree(&job, error))
            return false;
    }
    return true;
}

bool JobPlanner::createTree(SuiteJob *job, QString *error) const
{
    const QString root = job->name.isEmpty() ? m_rootPath : m_rootPath + QLatin1Char('/') + job->name;
    return job->tree.create(
        root, {m_options.daemon, m_options.mocksDir, m_options.experienceDir, m_options.wrapCommand}, error);
}

QStringList JobPlanner::selections() const { return m_selections; }

int JobPlanner::requestedParallel() const { return m_requestedParallel; }

// A failed function or row runs again alone, in a shard of its own: a fault
// of the daemon fails it again, a race of the moment seldom does.
SuiteJob JobPlanner::retryOf(const SuiteJob &failed, const TestVerdict &verdict, int jobIndex,
                             const RunResults &results)
{
    const int retryNumber = ++m_retryCount;
    const QString selection = ShardPlan::Test{verdict.function, verdict.row}.selectionWord();
    SuiteJob job;
    job.origin = {jobIndex, results.shardCount() + retryNumber, failed.origin.repetition, QString(),
                  failed.origin.attempt + 1};
    job.origin.shardName = QStringLiteral("%1 (%2)").arg(results.tryName(job.origin), selection);
    job.name = QStringLiteral("retry-%1-try-%2").arg(retryNumber, 2, 10, QLatin1Char('0')).arg(job.origin.attempt);
    if (m_options.repeat > 1)
        job.name += QLatin1Char('-') + runName(job.origin.repetition);
    job.arguments = m_suiteOptions + QStringList{selection};
    job.testNames = QStringList{verdict.testName()};
    return job;
}
