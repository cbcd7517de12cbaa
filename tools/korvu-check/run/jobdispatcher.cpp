#include "run/jobdispatcher.h"
#include "run/daemonpreflight.h"
#include "run/jobplanner.h"
#include "run/listeningsockets.h"
#include "run/runpool.h"
#include "run/runrecorder.h"
#include "run/stopsignals.h"

#include <daemonenvironment.h>
#include <tracefields.h>

#include <QThread>

#include <algorithm>
#include <csignal>
#include <limits>

JobDispatcher::JobDispatcher(const CheckOptions &options, const NetworkIsolation &isolation, JobPlanner &planner,
                             RunRecorder &recorder)
    : m_options(options)
    , m_isolation(isolation)
    , m_planner(planner)
    , m_recorder(recorder)
    , m_failureLimit(options.maxFailures, options.failOnFlaky)
    , m_endedJobFiles(options.keepTracesDir, options.keepRunTree)
{
}

JobDispatcher::~JobDispatcher() = default;

std::deque<SuiteJob> &JobDispatcher::jobs() { return m_jobs; }

const std::deque<SuiteJob> &JobDispatcher::jobs() const { return m_jobs; }

const SuiteExitStatuses &JobDispatcher::exitStatuses() const { return m_exitStatuses; }

QStringList JobDispatcher::probeReport() const { return m_preflight ? m_preflight->report() : QStringList(); }

void JobDispatcher::interrupt(int signalNumber)
{
    if (m_preflight)
        m_preflight->interrupt();
    for (SuiteJob &job : m_jobs) {
        if (job.runner)
            job.runner->interrupt(signalNumber);
    }
}

bool JobDispatcher::run(int parallel)
{
    for (SuiteJob &job : m_jobs)
        prepareRunner(job);
    prepareProbe();
    m_pool = std::make_unique<RunPool>(parallel);
    // A daemon under a tool takes seconds of processor time to start; all of
    // them starting at once could keep each from listening within the
    // suite's bound.
    if (!m_options.wrapCommand.isEmpty())
        m_pool->setMaximumStarting(QThread::idealThreadCount());
    fillPool();
    followProbe();
    m_dispatching = true;
    startPoolAndProbe();
    m_dispatching = false;
    if (m_failureLimit.isReached())
        recordNotRun();
    return !m_daemonNeverStarted;
}

void JobDispatcher::prepareProbe()
{
    // The same plug-in paths the suite gives the daemon, but a data folder of its own.
    const RunTree &probeTree = m_jobs.front().tree;
    QProcessEnvironment environment = probeTree.environment(QProcessEnvironment::systemEnvironment());
    environment.insert(QLatin1String(DaemonEnvironment::pluginsPathVariable), probeTree.mocksDir());
    environment.insert(QLatin1String(DaemonEnvironment::experiencePluginsPathVariable), probeTree.experienceDir());
    environment.insert(QStringLiteral("KORVU_DATA_DIR"), probeTree.probeDataDir());
    environment.remove(QLatin1String(TraceFields::fileVariable));
    // Not the suite's folder: a --wrap tool's files there are the suite's daemon's.
    m_preflight = std::make_unique<DaemonPreflight>(m_isolation, probeTree.daemon(), environment,
                                                    probeTree.probeDataDir());
    if (m_isolation.isAvailable()) {
        m_preflight->setListeningElsewhere([this] {
            return std::any_of(m_jobs.cbegin(), m_jobs.cend(), [](const SuiteJob &job) {
                const qint64 pid = job.runner->processId();
                return pid > 0 && ListeningSockets::inNamespaceOf(pid);
            });
        });
    }
}

// The longest shards first: the run lasts as long as the last of them. The
// quick shards start once those that run alone are up: those then wait for
// their daemon, gate and restarts while the quick ones run, and no quick one
// holds up their start.
void JobDispatcher::fillPool()
{
    std::vector<SuiteJob *> order;
    for (SuiteJob &job : m_jobs)
        order.push_back(&job);
    std::stable_sort(order.begin(), order.end(), [](const SuiteJob *a, const SuiteJob *b) {
        if (a->origin.repetition != b->origin.repetition)
            return a->origin.repetition < b->origin.repetition;
        return a->expectedSeconds > b->expectedSeconds;
    });
    for (SuiteJob *job : order) {
        if (job->runsAlone)
            m_pool->add(job->runner.get());
        else
            m_pool->addBehind(job->runner.get());
    }
}

void JobDispatcher::followProbe()
{
    QObject::connect(m_preflight.get(), &DaemonPreflight::stillWaiting, [this](int waitedMsecs, int remainingMsecs) {
        m_recorder.reporters().tell(&Reporter::probeStillWaiting, waitedMsecs, remainingMsecs);
    });
    QObject::connect(m_preflight.get(), &DaemonPreflight::finished, [this](DaemonPreflight::Outcome outcome) {
        const bool runGoesOn = outcome == DaemonPreflight::Outcome::Listening
                               || outcome == DaemonPreflight::Outcome::Interrupted;
        m_recorder.reporters().tell(&Reporter::probeEnded, runGoesOn);
        if (runGoesOn)
            return;
        m_daemonNeverStarted = true;
        m_pool->cancelQueued();
        for (SuiteJob &job : m_jobs)
            job.runner->interrupt(SIGTERM);
    });
}

// With network namespaces the probe runs beside the suite, which shows
// nothing until the probe has found the daemon listening; it starts after
// the suite processes, which it must not hold up. Without namespaces the
// probe holds the daemon's ports, so the suite waits for its end.
void JobDispatcher::startPoolAndProbe()
{
    const int startTimeoutMsecs = m_options.startTimeoutSecs * 1000;
    m_recorder.reporters().tell(&Reporter::probeStarted);
    if (m_isolation.isAvailable()) {
        m_pool->start();
        m_preflight->start(startTimeoutMsecs);
    } else {
        m_preflight->start(startTimeoutMsecs);
        if (m_preflight->wait() != DaemonPreflight::Outcome::Listening)
            return;
        m_pool->start();
    }
    m_pool->waitForAll(std::numeric_limits<int>::max());
    m_preflight->wait();
}

void JobDispatcher::prepareRunner(SuiteJob &job)
{
    job.runner = std::make_unique<SuiteRunner>(
        SuiteRunner::Setup{m_options.suite, job.arguments, job.tree.suiteDir(),
                           job.tree.environment(QProcessEnvironment::systemEnvironment()),
                           !m_options.wrapCommand.isEmpty(), m_options.timeoutSecs,
                           job.testNames.isEmpty() ? QStringList() : RunResults::withHooks(job.testNames)},
        m_isolation);
    const SuiteJob *jobPointer = &job;
    SuiteRunner *runner = job.runner.get();
    QObject::connect(runner, &SuiteRunner::verdictRead,
                     [this, jobPointer](const TestVerdict &verdict) { handleVerdict(*jobPointer, verdict); });
    QObject::connect(runner, &SuiteRunner::outputLine, [this, jobPointer](const QString &line) {
        m_recorder.outputLine(jobPointer->name.isEmpty() ? line
                                                         : QStringLiteral("[%1] %2").arg(jobPointer->name, line));
    });
    QObject::connect(runner, &SuiteRunner::lineLogged,
                     [this, jobPointer](const QString &testName, const QString &line) {
                         m_recorder.lineLogged(testName, jobPointer->origin, line);
                     });
    QObject::connect(runner, &SuiteRunner::findingMade, [this, jobPointer](const DaemonFinding &finding) {
        m_recorder.findingMade(jobPointer->origin, finding);
    });
    QObject::connect(runner, &SuiteRunner::finished, [this, jobPointer] { handleJobEnd(*jobPointer); });
}

void JobDispatcher::handleVerdict(const SuiteJob &job, const TestVerdict &verdict)
{
    m_recorder.verdictRead(job.origin, verdict);
    if (verdict.isFailure())
        m_exitStatuses.verdictFailed(job.origin.job);
    const bool retried = shouldRetry(job, verdict);
    if (retried)
        retry(job, verdict);
    if (m_failureLimit.countVerdict(verdict, job.origin.attempt, retried))
        stopAtFailureLimit();
}

// As Ctrl-C stops a run, but what was not run is no break: each such row
// says that the run stopped before it.
void JobDispatcher::stopAtFailureLimit()
{
    m_pool->cancelQueued();
    for (SuiteJob &job : m_jobs)
        job.runner->stopUnneeded();
}

void JobDispatcher::recordNotRun()
{
    QStringList planned;
    for (const SuiteJob &job : m_jobs)
        planned += job.testNames;
    planned.removeDuplicates();
    m_recorder.results().addNotRun(planned, m_failureLimit.notRunReason());
}

// The hooks run in every shard and are not tried again: their failure ends no row.
bool JobDispatcher::shouldRetry(const SuiteJob &job, const TestVerdict &verdict) const
{
    return verdict.isFailure() && verdict.endsTest() && !RunResults::isHook(verdict)
           && job.origin.attempt <= m_options.retries && !m_daemonNeverStarted && !StopSignals::received()
           && m_dispatching && !m_failureLimit.isReached();
}

void JobDispatcher::retry(const SuiteJob &failed, const TestVerdict &verdict)
{
    SuiteJob job = m_planner.retryOf(failed, verdict, int(m_jobs.size()), m_recorder.results());
    QString error;
    if (!m_planner.createTree(&job, &error)) {
        m_recorder.setupError({QStringLiteral("cannot run %1 again: %2").arg(verdict.testName(), error)});
        return;
    }
    m_jobs.push_back(std::move(job));
    prepareRunner(m_jobs.back());
    m_pool->add(m_jobs.back().runner.get());
    m_pool->start();
}

void JobDispatcher::handleJobEnd(const SuiteJob &job)
{
    std::optional<RunResults::BrokenOffProcess> suiteBreak;
    if (job.runner->hasBreak())
        suiteBreak = job.runner->suiteBreak();
    m_recorder.processEnded(job.origin, suiteBreak, job.tree.traceFile());
    m_exitStatuses.processEnded(job.origin.job, job.runner->exitStatus());
    // The rest of a process stopped for a row that timed out.
    if (job.runner->timedOut()) {
        const QString what = job.runner->timedOutTest().isEmpty() ? QStringLiteral("it") : job.runner->timedOutTest();
        m_recorder.results().addNotRun(
            job.testNames, QStringLiteral("not run: the suite process was stopped when %1 timed out").arg(what));
    }
    if (suiteBreak && m_failureLimit.countBreak())
        stopAtFailureLimit();
    m_endedJobFiles.jobEnded(job);
    // Listings such as -functions: show what the suite said.
    m_recorder.reporters().tell(&Reporter::plainOutput, job.runner->plainOutput());
}
