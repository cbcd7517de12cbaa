#ifndef KORVUCHECK_CHECKRUN_H
#define KORVUCHECK_CHECKRUN_H

#include "commandline/checkoptions.h"
#include "reports/console/progressreport.h"
#include "results/runresults.h"
#include "run/isolation/networkisolation.h"
#include "run/runtree.h"
#include "run/shardplan.h"

#include <QElapsedTimer>
#include <QHash>
#include <QProcessEnvironment>
#include <QSet>
#include <QTemporaryDir>

#include <deque>
#include <future>
#include <memory>
#include <vector>

class DaemonPreflight;
class RunPool;
class QTextStream;
class SuiteRunner;

// One run of the check, from the run trees to the summary: the suite as one
// process, or its shards several at a time, as often as asked.
class CheckRun
{
public:
    CheckRun(const CheckOptions &options, QTextStream &out, QTextStream &err);
    ~CheckRun();

    // Returns the exit status of korvu-check.
    int exec();
    // What the run came to, once exec() has returned.
    const RunResults &results() const;

private:
    // One suite process of the run.
    struct Job
    {
        RunResults::Origin origin;
        QString name; // of its run tree and kept trace; empty for a single process
        QStringList arguments;
        double expectedSeconds = 0;
        bool waits = false;
        RunTree tree;
        std::unique_ptr<SuiteRunner> runner;
    };

    bool prepareNetwork();
    bool planJobs(int *status);
    bool listSuite(QByteArray *listing);
    void addJobs(const QVector<ShardPlan::Shard> &shards, const QStringList &suiteOptions);
    bool createTrees();
    void runJobs();
    void prepareRunner(Job &job);
    void handleVerdict(const Job &job, const TestVerdict &verdict);
    bool shouldRetry(const Job &job, const TestVerdict &verdict) const;
    void retry(const Job &failed, const TestVerdict &verdict);
    void handleOutputLine(const Job &job, const QString &line);
    void handleFinding(const Job &job, const DaemonFinding &finding);
    void handleJobEnd(const Job &job);
    int exitStatus() const;
    void recordEnvironment();
    // Puts the daemon's and the suite's hashes into the results once they are known.
    void recordHashes();
    QString isolationDescription() const;
    void recordSuite();
    void printSummary(QStringList notes);
    int stopEarly(int status);
    QStringList writeReports(bool withSuiteResults);
    void printHeader();
    void noteKeptTree();
    // Prints korvu-check's own error and records it for the reports.
    void reportSetupError(const QStringList &lines);

    CheckOptions m_options;
    QTextStream &m_out;
    QTextStream &m_err;
    QElapsedTimer m_wallTime;
    NetworkIsolation m_isolation;
    QTemporaryDir m_root;
    // A deque, so that retries join while the signals of running jobs point at theirs.
    std::deque<Job> m_jobs;
    // What every suite process gets beside its selection of functions and rows.
    QStringList m_suiteOptions;
    RunPool *m_pool = nullptr; // while the jobs run
    int m_retryCount = 0;
    // Jobs with a failed verdict, whose exit status the results explain.
    QSet<int> m_jobsWithFailures;
    int m_requestedParallel = 1;
    int m_parallel = 1;
    bool m_preflightFailed = false;
    bool m_reportMissing = false;
    // Destroyed before m_root, so every removal has ended when it goes.
    std::vector<std::future<void>> m_treeRemovals;
    // The daemon's and the suite's SHA-256, hashed beside the start of the shards.
    std::future<std::pair<QString, QString>> m_hashes;
    RunResults m_results;
    ProgressReport m_progress;
    std::unique_ptr<DaemonPreflight> m_preflight;
};

#endif // KORVUCHECK_CHECKRUN_H
