#ifndef KORVUCHECK_JOBDISPATCHER_H
#define KORVUCHECK_JOBDISPATCHER_H

#include "commandline/checkoptions.h"
#include "run/endedjobfiles.h"
#include "run/failurelimit.h"
#include "run/isolation/networkisolation.h"
#include "run/suiteexitstatuses.h"
#include "run/suitejob.h"

#include <deque>
#include <memory>

class DaemonPreflight;
class JobPlanner;
class RunPool;
class RunRecorder;

// Runs the planned suite processes, several at a time where network
// namespaces allow, beside a probe of whether the daemon starts at all, and
// runs each failed function or row again as --retries asks, until
// --max-failures stops it. What they report goes to the recorder.
class JobDispatcher
{
public:
    JobDispatcher(const CheckOptions &options, const NetworkIsolation &isolation, JobPlanner &planner,
                  RunRecorder &recorder);
    ~JobDispatcher();

    // The jobs to run, then the retries that joined them. A deque, so that
    // retries join while the signals of running jobs point at theirs.
    std::deque<SuiteJob> &jobs();
    const std::deque<SuiteJob> &jobs() const;

    // Runs every job to its end, at most parallel at a time. Returns false
    // when the daemon never listened and the jobs were stopped.
    bool run(int parallel);
    // Why the daemon did not start, after run() returned false.
    QStringList probeReport() const;
    // Stops the probe and every suite process.
    void interrupt(int signalNumber);
    const SuiteExitStatuses &exitStatuses() const;

private:
    void prepareRunner(SuiteJob &job);
    void prepareProbe();
    void fillPool();
    void followProbe();
    void startPoolAndProbe();
    void handleVerdict(const SuiteJob &job, const TestVerdict &verdict);
    bool shouldRetry(const SuiteJob &job, const TestVerdict &verdict) const;
    void retry(const SuiteJob &failed, const TestVerdict &verdict);
    void handleJobEnd(const SuiteJob &job);
    void stopAtFailureLimit();
    void recordNotRun();

    CheckOptions m_options;
    const NetworkIsolation &m_isolation;
    JobPlanner &m_planner;
    RunRecorder &m_recorder;
    std::deque<SuiteJob> m_jobs;
    std::unique_ptr<RunPool> m_pool;
    // Until the pool has run dry: retries can still join.
    bool m_dispatching = false;
    bool m_daemonNeverStarted = false;
    FailureLimit m_failureLimit;
    std::unique_ptr<DaemonPreflight> m_preflight;
    SuiteExitStatuses m_exitStatuses;
    EndedJobFiles m_endedJobFiles;
};

#endif // KORVUCHECK_JOBDISPATCHER_H
