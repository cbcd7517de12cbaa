#include "checkrun.h"
#include "ctrfdocument.h"
#include "daemonenvironment.h"
#include "daemonfindingscanner.h"
#include "daemonport.h"
#include "daemonpreflight.h"
#include "deliveries/deliveriestimes.h"
#include "exitstatus.h"
#include "knownrace.h"
#include "portcheck.h"
#include "qtmajorcheck.h"
#include "runpool.h"
#include "stopsignals.h"
#include "suiterunner.h"
#include "tracefields.h"
#include "trafficlog.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSysInfo>
#include <QTextStream>
#include <QThread>

#include <algorithm>
#include <csignal>
#include <limits>

namespace {

const int listingTimeoutMsecs = 30000;

QString numbered(const QString &word, int number, int count)
{
    return QStringLiteral("%1-%2").arg(word).arg(number, QString::number(count).size(), 10, QLatin1Char('0'));
}

// Tells builds apart; empty for a file that cannot be read.
QString sha256(const QString &fileName)
{
    QFile file(fileName);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!file.open(QIODevice::ReadOnly) || !hash.addData(&file))
        return QString();
    return QString::fromLatin1(hash.result().toHex());
}

} // namespace

CheckRun::CheckRun(const CheckOptions &options, QTextStream &out, QTextStream &err)
    : m_options(options)
    , m_out(out)
    , m_err(err)
    , m_root(QDir::tempPath() + QStringLiteral("/korvu-check-XXXXXX"))
    , m_progress(out)
{
}

CheckRun::~CheckRun() = default;

int CheckRun::exec()
{
    m_wallTime.start();
    StopSignals stopSignals;
    m_results.setSuiteFile(QFileInfo(m_options.suite).fileName());
    if (!m_root.isValid()) {
        reportSetupError({QStringLiteral("cannot create a temporary run tree: %1").arg(m_root.errorString())});
        return stopEarly(ExitStatus::EnvironmentProblem);
    }
    m_root.setAutoRemove(!m_options.keepRunTree);

    m_isolation = NetworkIsolation::detect();
    recordEnvironment();
    const QtMajorCheck qtMajors = QtMajorCheck::read(m_options.daemon, m_options.mocksDir, m_options.experienceDir,
                                                     m_options.wrapCommand);
    if (m_options.verbose && !qtMajors.skipReason().isEmpty())
        m_progress.print({QStringLiteral("korvu-check: ") + qtMajors.skipReason()});
    if (!qtMajors.refusal().isEmpty()) {
        reportSetupError({qtMajors.refusal()});
        return stopEarly(ExitStatus::BadCommandLine);
    }
    if (!prepareNetwork())
        return stopEarly(ExitStatus::EnvironmentProblem);
    int status = 0;
    if (!planJobs(&status))
        return stopEarly(status);
    if (m_jobs.empty()) {
        m_progress.print({QStringLiteral("korvu-check: slice %1/%2 holds no shard of this selection; nothing to run")
                              .arg(m_options.sliceIndex)
                              .arg(m_options.sliceCount)});
        writeReports(true);
        return exitStatus();
    }
    if (!createTrees())
        return stopEarly(ExitStatus::EnvironmentProblem);
    printHeader();

    QObject::connect(&stopSignals, &StopSignals::stopRequested, [this](int signalNumber) {
        if (m_preflight)
            m_preflight->interrupt();
        for (Job &job : m_jobs)
            job.runner->interrupt(signalNumber);
    });
    runJobs();
    if (m_preflightFailed) {
        reportSetupError(m_preflight->report());
        noteKeptTree();
        return stopEarly(ExitStatus::DaemonDoesNotStart);
    }
    recordSuite();
    printSummary(writeReports(true));
    return exitStatus();
}

const RunResults &CheckRun::results() const { return m_results; }

bool CheckRun::prepareNetwork()
{
    if (m_isolation.isAvailable())
        return true;
    const quint16 port = PortCheck::firstTakenPort(PortCheck::korvuPorts());
    if (port == 0)
        return true;
    reportSetupError({PortCheck::takenPortMessage(port)});
    return false;
}

bool CheckRun::planJobs(int *status)
{
    QStringList selections;
    ShardPlan::splitSuiteArguments(m_options.suiteArguments, &selections, &m_suiteOptions);
    // The suite itself would run nothing for a selection it does not have, and pass.
    const bool checksSelections = m_options.isSharded() || !selections.isEmpty();
    QByteArray listing;
    if (checksSelections && !listSuite(&listing)) {
        *status = ExitStatus::EnvironmentProblem;
        return false;
    }
    QString error;
    ShardPlan plan;
    if (!m_options.isSharded()) {
        if (checksSelections && !ShardPlan::make(listing, selections, {}, &plan, &error)) {
            reportSetupError({error});
            *status = ExitStatus::BadCommandLine;
            return false;
        }
        for (int repetition = 1; repetition <= m_options.repeat; ++repetition) {
            Job job;
            job.origin = {int(m_jobs.size()), 0, repetition, QString()};
            if (m_options.repeat > 1)
                job.name = numbered(QStringLiteral("run"), repetition, m_options.repeat);
            job.arguments = m_options.suiteArguments;
            m_jobs.push_back(std::move(job));
        }
        return true;
    }

    QHash<QString, double> expectedSeconds = deliveriesExpectedSeconds;
    if (!m_options.durationsFile.isEmpty()) {
        RunResults earlier;
        if (!CtrfDocument::read(m_options.durationsFile, &earlier, &error)) {
            reportSetupError({QStringLiteral("--durations-from: %1").arg(error)});
            *status = ExitStatus::BadCommandLine;
            return false;
        }
        expectedSeconds = ShardPlan::combinedExpectations(expectedSeconds, earlier.meanSeconds());
    }
    if (!ShardPlan::make(listing, selections, expectedSeconds, &plan, &error)) {
        reportSetupError({error});
        *status = ExitStatus::BadCommandLine;
        return false;
    }
    // Every slice's order holds the whole plan, so that merged slices keep the suite's order.
    m_results.setOrder(RunResults::withHooks(plan.testNames()));
    if (m_options.sliceCount > 0)
        plan = plan.slice(m_options.sliceIndex, m_options.sliceCount);

    // A slice without -j runs as one suite process, the suite as written over its rows.
    addJobs(plan.processes(m_options.jobs == 0 && !m_options.jobsAuto), m_suiteOptions);
    return true;
}

// The suite lists its functions and rows itself, so a suite with more of
// them needs nothing new here.
bool CheckRun::listSuite(QByteArray *listing)
{
    QProcess suite;
    suite.setProcessEnvironment(RunTree::withPlatform(QProcessEnvironment::systemEnvironment()));
    suite.setWorkingDirectory(m_root.path());
    suite.start(m_options.suite, {QStringLiteral("-datatags")});
    if (!suite.waitForFinished(listingTimeoutMsecs) || suite.exitStatus() != QProcess::NormalExit
        || suite.exitCode() != 0) {
        suite.kill();
        suite.waitForFinished();
        QStringList lines = {QStringLiteral("%1 -datatags could not list the suite's functions and rows: %2")
                                 .arg(QFileInfo(m_options.suite).fileName(), suite.errorString())};
        const QStringList errors = QString::fromUtf8(suite.readAllStandardError()).trimmed().split(QLatin1Char('\n'));
        for (const QString &line : errors)
            lines.append(QStringLiteral("  ") + line);
        reportSetupError(lines);
        return false;
    }
    *listing = suite.readAllStandardOutput();
    return true;
}

void CheckRun::addJobs(const QVector<ShardPlan::Shard> &shards, const QStringList &suiteOptions)
{
    m_results.setShardCount(shards.size());
    for (int repetition = 1; repetition <= m_options.repeat; ++repetition) {
        for (int index = 0; index < shards.size(); ++index) {
            Job job;
            const bool single = shards.size() == 1;
            job.origin = {int(m_jobs.size()), index + 1, repetition,
                          single ? QString()
                                 : QStringLiteral("shard %1 (%2)")
                                       .arg(index + 1)
                                       .arg(shards.at(index).selections.join(QLatin1Char(' ')))};
            QStringList nameParts;
            if (!single)
                nameParts.append(numbered(QStringLiteral("shard"), index + 1, shards.size()));
            if (m_options.repeat > 1)
                nameParts.append(numbered(QStringLiteral("run"), repetition, m_options.repeat));
            job.name = nameParts.join(QLatin1Char('-'));
            job.arguments = suiteOptions + shards.at(index).selections;
            job.expectedSeconds = shards.at(index).expectedSeconds;
            job.waits = shards.at(index).waits;
            m_jobs.push_back(std::move(job));
        }
    }
    m_requestedParallel = m_options.jobsAuto ? shards.size() : qMax(1, m_options.jobs);
    m_parallel = m_isolation.isAvailable() ? m_requestedParallel : 1;
}

bool CheckRun::createTrees()
{
    const RunTree::Sources sources = {m_options.daemon, m_options.mocksDir, m_options.experienceDir,
                                      m_options.wrapCommand};
    for (Job &job : m_jobs) {
        QString error;
        const QString root = job.name.isEmpty() ? m_root.path() : m_root.path() + QLatin1Char('/') + job.name;
        if (!job.tree.create(root, sources, &error)) {
            reportSetupError({error});
            return false;
        }
    }
    return true;
}

void CheckRun::runJobs()
{
    const QProcessEnvironment base = QProcessEnvironment::systemEnvironment();
    for (Job &job : m_jobs)
        prepareRunner(job);

    // The same plug-in paths the suite gives the daemon, but a data folder of its own.
    const RunTree &probeTree = m_jobs.front().tree;
    QProcessEnvironment probeEnvironment = probeTree.environment(base);
    probeEnvironment.insert(QLatin1String(DaemonEnvironment::pluginsPathVariable), probeTree.mocksDir());
    probeEnvironment.insert(QLatin1String(DaemonEnvironment::experiencePluginsPathVariable), probeTree.experienceDir());
    probeEnvironment.insert(QStringLiteral("KORVU_DATA_DIR"), probeTree.probeDataDir());
    probeEnvironment.remove(QLatin1String(TraceFields::fileVariable));
    // Not the suite's folder: a --wrap tool's files there are the suite's daemon's.
    m_preflight = std::make_unique<DaemonPreflight>(m_isolation, probeTree.daemon(), probeEnvironment,
                                                    probeTree.probeDataDir());
    if (m_isolation.isAvailable()) {
        m_preflight->setListeningElsewhere([this] {
            return std::any_of(m_jobs.cbegin(), m_jobs.cend(), [](const Job &job) {
                const qint64 pid = job.runner->processId();
                return pid > 0 && DaemonPreflight::namespaceHasListener(pid);
            });
        });
    }

    // The longest shards first: the run lasts as long as the last of them.
    std::vector<Job *> order;
    for (Job &job : m_jobs)
        order.push_back(&job);
    std::stable_sort(order.begin(), order.end(), [](const Job *a, const Job *b) {
        if (a->origin.repetition != b->origin.repetition)
            return a->origin.repetition < b->origin.repetition;
        return a->expectedSeconds > b->expectedSeconds;
    });
    RunPool pool(m_parallel);
    m_pool = &pool;
    // A daemon under a tool takes seconds of processor time to start; all of
    // them starting at once could keep each from listening within the
    // suite's bound.
    if (!m_options.wrapCommand.isEmpty())
        pool.setMaximumStarting(QThread::idealThreadCount());
    // The quick shards start once the waiting ones are up: those then wait
    // for their daemon, gate and restarts while the quick ones run, and no
    // quick one holds up their start.
    for (Job *job : order) {
        if (job->waits)
            pool.add(job->runner.get());
        else
            pool.addBehind(job->runner.get());
    }
    // Progress is held back while the probe runs, but this is news now.
    QObject::connect(m_preflight.get(), &DaemonPreflight::stillWaiting, [this](int waitedMsecs, int remainingMsecs) {
        m_progress.printPastHold(
            {QStringLiteral("korvu-check: korvud has not listened on 127.0.0.1:%1 after %2 s; waiting up to %3 s more")
                 .arg(daemonPort)
                 .arg(waitedMsecs / 1000.0)
                 .arg(remainingMsecs / 1000.0)});
    });
    QObject::connect(m_preflight.get(), &DaemonPreflight::finished, [this, &pool](DaemonPreflight::Outcome outcome) {
        if (outcome == DaemonPreflight::Outcome::Listening || outcome == DaemonPreflight::Outcome::Interrupted) {
            m_progress.release();
            return;
        }
        // A quick suite may still report a verdict before the stop reaches it.
        m_progress.silence();
        m_preflightFailed = true;
        pool.cancelQueued();
        for (Job &job : m_jobs)
            job.runner->interrupt(SIGTERM);
    });

    // With network namespaces the probe runs beside the suite, which shows
    // nothing until the probe has found the daemon listening; it starts after
    // the suite processes, which it must not hold up. Without namespaces the
    // probe holds the daemon's ports, so the suite waits for its end.
    const int startTimeoutMsecs = m_options.startTimeoutSecs * 1000;
    m_progress.hold();
    if (m_isolation.isAvailable()) {
        pool.start();
        m_preflight->start(startTimeoutMsecs);
    } else {
        m_preflight->start(startTimeoutMsecs);
        if (m_preflight->wait() != DaemonPreflight::Outcome::Listening) {
            m_pool = nullptr;
            return;
        }
        pool.start();
    }
    pool.waitForAll(std::numeric_limits<int>::max());
    m_preflight->wait();
    m_pool = nullptr;
}

void CheckRun::prepareRunner(Job &job)
{
    job.runner = std::make_unique<SuiteRunner>(
        SuiteRunner::Setup{m_options.suite, job.arguments, job.tree.suiteDir(),
                           job.tree.environment(QProcessEnvironment::systemEnvironment()),
                           !m_options.wrapCommand.isEmpty()},
        m_isolation);
    const Job *jobPointer = &job;
    QObject::connect(job.runner.get(), &SuiteRunner::verdictRead,
                     [this, jobPointer](const TestVerdict &verdict) { handleVerdict(*jobPointer, verdict); });
    QObject::connect(job.runner.get(), &SuiteRunner::outputLine,
                     [this, jobPointer](const QString &line) { handleOutputLine(*jobPointer, line); });
    QObject::connect(job.runner.get(), &SuiteRunner::lineLogged,
                     [this, jobPointer](const QString &testName, const QString &line) {
                         m_results.addLogLine(testName, jobPointer->origin, line);
                     });
    QObject::connect(job.runner.get(), &SuiteRunner::findingMade,
                     [this, jobPointer](const DaemonFinding &finding) { handleFinding(*jobPointer, finding); });
    QObject::connect(job.runner.get(), &SuiteRunner::finished, [this, jobPointer] { handleJobEnd(*jobPointer); });
}

void CheckRun::handleVerdict(const Job &job, const TestVerdict &verdict)
{
    m_results.addVerdict(verdict, job.origin);
    if (verdict.isFailure())
        m_jobsWithFailures.insert(job.origin.job);
    if (shouldRetry(job, verdict))
        retry(job, verdict);
    m_progress.verdictRead(m_results, job.origin, verdict);
}

void CheckRun::handleFinding(const Job &job, const DaemonFinding &finding)
{
    m_results.addFinding(finding, job.origin);
    m_progress.findingMade(m_results, job.origin, finding);
}

// A failed function or row runs again alone, in a shard of its own: a fault
// of the daemon fails it again, a race of the moment seldom does. The hooks
// run in every shard and are not tried again: their failure ends no row.
bool CheckRun::shouldRetry(const Job &job, const TestVerdict &verdict) const
{
    return verdict.isFailure() && verdict.endsTest() && !RunResults::isHook(verdict)
           && job.origin.attempt <= m_options.retries && !m_preflightFailed && !StopSignals::received() && m_pool;
}

void CheckRun::retry(const Job &failed, const TestVerdict &verdict)
{
    const int index = ++m_retryCount;
    const QString selection = verdict.row.isEmpty() ? verdict.function
                                                    : verdict.function + QLatin1Char(':') + verdict.row;
    Job job;
    job.origin = {int(m_jobs.size()), m_results.shardCount() + index, failed.origin.repetition, QString(),
                  failed.origin.attempt + 1};
    job.origin.shardName = QStringLiteral("%1 (%2)").arg(m_results.tryName(job.origin), selection);
    job.name = QStringLiteral("retry-%1-try-%2").arg(index, 2, 10, QLatin1Char('0')).arg(job.origin.attempt);
    if (m_options.repeat > 1)
        job.name += QLatin1Char('-') + numbered(QStringLiteral("run"), job.origin.repetition, m_options.repeat);
    job.arguments = m_suiteOptions + QStringList{selection};
    QString error;
    if (!job.tree.create(m_root.path() + QLatin1Char('/') + job.name,
                         {m_options.daemon, m_options.mocksDir, m_options.experienceDir, m_options.wrapCommand},
                         &error)) {
        reportSetupError({QStringLiteral("cannot run %1 again: %2").arg(verdict.testName(), error)});
        return;
    }
    m_jobs.push_back(std::move(job));
    prepareRunner(m_jobs.back());
    m_pool->add(m_jobs.back().runner.get());
    m_pool->start();
}

void CheckRun::handleOutputLine(const Job &job, const QString &line)
{
    const QString shown = job.name.isEmpty() ? line : QStringLiteral("[%1] %2").arg(job.name, line);
    m_results.addOutputLine(shown);
    if (m_options.verbose)
        m_progress.print({shown});
}

void CheckRun::handleJobEnd(const Job &job)
{
    if (job.runner->hasBreak()) {
        RunResults::Break suiteBreak = job.runner->suiteBreak();
        suiteBreak.origin = job.origin;
        m_results.addBreak(suiteBreak);
    }
    const TrafficLog log = TrafficLog::fromFile(job.tree.traceFile());
    m_results.attachTraffic(
        job.origin.job, [&log](const QString &testName) { return log.exchangesOf(testName); }, KnownRace::noteFor);
    const QVector<DaemonFinding> deaths = DaemonFindingScanner::signalFindings(log.entries());
    for (const DaemonFinding &finding : deaths)
        handleFinding(job, finding);
    m_progress.processEnded(m_results, job.origin);
    if (!m_options.keepTracesDir.isEmpty() && QFile::exists(job.tree.traceFile())) {
        const QString kept = QStringLiteral("%1/%2.jsonl")
                                 .arg(m_options.keepTracesDir, job.name.isEmpty() ? QStringLiteral("trace") : job.name);
        QFile::remove(kept);
        QFile::copy(job.tree.traceFile(), kept);
    }
    // Listings such as -functions: show what the suite said.
    m_progress.print(job.runner->plainOutput());
    // Removing a tree can take a while (SQLite files, a disk that discards
    // blocks); with many jobs it happens beside the others instead of at the end.
    if (!m_options.keepRunTree && !job.name.isEmpty()) {
        const QString root = job.tree.root();
        m_treeRemovals.push_back(std::async(std::launch::async, [root] { QDir(root).removeRecursively(); }));
    }
}

int CheckRun::exitStatus() const
{
    ExitStatus::Facts facts;
    facts.stopSignal = StopSignals::received();
    facts.failures = m_results.failureStatus();
    for (const Job &job : m_jobs) {
        const int status = job.runner ? job.runner->exitStatus() : 0;
        if (status > ExitStatus::SignalBase && facts.suiteSignal == 0)
            facts.suiteSignal = status - ExitStatus::SignalBase;
        // A job's failures are the results' to count: a retry may have passed.
        else if (status != 0 && facts.problem == 0 && !m_jobsWithFailures.contains(job.origin.job))
            facts.problem = status;
    }
    facts.findings = !m_results.findings().isEmpty();
    facts.reportMissing = m_reportMissing;
    return ExitStatus::of(facts);
}

void CheckRun::printSummary(QStringList notes)
{
    if (!m_options.keepTracesDir.isEmpty())
        notes.append(QStringLiteral("Traces kept in: %1").arg(m_options.keepTracesDir));
    if (m_options.keepRunTree)
        notes.append(QStringLiteral("Run tree kept: %1").arg(m_root.path()));
    m_out.flush();
    m_progress.setNotes(notes);
    m_progress.write(m_results, m_out.device());
}

// A run that stops before the suite still leaves a report, so that a CI
// system never picks up the one of an earlier run.
int CheckRun::stopEarly(int status)
{
    if (m_results.setupErrors().isEmpty()) {
        m_results.addSetupError(QStringLiteral("korvu-check stopped with status %1 before the suite ran").arg(status),
                                QStringList());
    }
    writeReports(false);
    return status;
}

void CheckRun::recordEnvironment()
{
    RunResults::Environment environment;
    environment.runId = m_options.runId;
    environment.toolVersion = QCoreApplication::applicationVersion();
    environment.daemon = m_options.daemon;
    environment.suite = m_options.suite;
    environment.mocksDir = m_options.mocksDir;
    environment.experienceDir = m_options.experienceDir;
    environment.qtVersion = QString::fromLatin1(qVersion());
    environment.isolation = isolationDescription();
    environment.wrapCommand = m_options.wrapCommand;
    environment.hostName = QSysInfo::machineHostName();
    environment.osPlatform = QSysInfo::kernelType();
    environment.osVersion = QSysInfo::prettyProductName();
    environment.sliceIndex = m_options.sliceIndex;
    environment.sliceCount = m_options.sliceCount;
    environment.repeat = m_options.repeat;
    environment.retries = m_options.retries;
    environment.failOnFlaky = m_options.failOnFlaky;
    m_results.setEnvironment(environment);
    // Hashing megabytes takes longer than starting every shard, and only the reports need it.
    m_hashes = std::async(std::launch::async, [daemon = m_options.daemon, suite = m_options.suite] {
        return std::make_pair(sha256(daemon), sha256(suite));
    });
}

void CheckRun::recordHashes()
{
    if (!m_hashes.valid())
        return;
    const std::pair<QString, QString> hashes = m_hashes.get();
    m_results.setBuildHashes(hashes.first, hashes.second);
}

QString CheckRun::isolationDescription() const
{
    return m_isolation.isAvailable() ? QStringLiteral("a private network namespace (%1)").arg(m_isolation.description())
                                     : QStringLiteral("the shared network");
}

// The suite's own name for itself and the start of its first process.
void CheckRun::recordSuite()
{
    for (const Job &job : m_jobs) {
        if (job.runner && !job.runner->testClass().isEmpty()) {
            m_results.setSuiteName(job.runner->testClass());
            break;
        }
    }
    if (!m_jobs.empty() && m_jobs.front().runner)
        m_results.setStartTime(m_jobs.front().runner->startTime());
}

// A report that was asked for but cannot be written fails an otherwise clean
// run. Returns a note for the summary per report written.
QStringList CheckRun::writeReports(bool withSuiteResults)
{
    recordHashes();
    m_results.setSeconds(m_wallTime.elapsed() / 1000.0);
    m_results.setStopTime(QDateTime::currentDateTime());
    QStringList errors;
    const QStringList written = m_options.reports.write(withSuiteResults ? m_results : m_results.withoutSuiteResults(),
                                                        &errors);
    for (const QString &error : qAsConst(errors))
        reportSetupError({error});
    m_reportMissing = m_reportMissing || !errors.isEmpty();
    return written;
}

void CheckRun::noteKeptTree()
{
    if (m_options.keepRunTree)
        m_err << QStringLiteral("Run tree kept: %1").arg(m_root.path()) << '\n' << Qt::flush;
}

void CheckRun::printHeader()
{
    const QString network = isolationDescription();
    QString how;
    if (m_results.shardCount() > 1) {
        how = QStringLiteral(": %1 shards, up to %2 at a time, each in %3")
                  .arg(m_results.shardCount())
                  .arg(qMin(m_parallel, m_results.shardCount()))
                  .arg(network);
    } else {
        how = QStringLiteral(", in %1").arg(network);
    }
    if (m_options.sliceCount > 0)
        how += QStringLiteral(", slice %1/%2").arg(m_options.sliceIndex).arg(m_options.sliceCount);
    if (m_options.repeat > 1)
        how += QStringLiteral(", %1 times").arg(m_options.repeat);
    m_progress.print({QStringLiteral("korvu-check: %1 against %2%3").arg(m_options.suite, m_options.daemon, how)});
    if (m_results.shardCount() > 1 && m_requestedParallel > 1 && !m_isolation.isAvailable())
        m_progress.print(
            {QStringLiteral("korvu-check: no private network namespaces here, so the shards run one at a time")});
}

void CheckRun::reportSetupError(const QStringList &lines)
{
    if (!lines.isEmpty())
        m_results.addSetupError(lines.constFirst(), lines.mid(1));
    for (int i = 0; i < lines.size(); ++i)
        m_err << (i == 0 ? QStringLiteral("korvu-check: ") : QString()) << lines.at(i) << '\n';
    m_err.flush();
}
