#ifndef KORVUCHECK_JOBPLANNER_H
#define KORVUCHECK_JOBPLANNER_H

#include "commandline/checkoptions.h"
#include "run/shardplan.h"
#include "run/suitejob.h"

#include <QHash>

#include <deque>

// Plans the suite processes of a run: the suite as one process, or the shards
// cut from its own listing, each as often as asked, and the retries of
// failed functions and rows. Each gets a run tree under the run's root.
class JobPlanner
{
public:
    // Why nothing could be planned: korvu-check's error and its exit status.
    struct Failure
    {
        int status = 0;
        QStringList lines;
    };

    JobPlanner(const CheckOptions &options, const QString &rootPath);

    // Appends every job of the run to jobs; results get the order of the
    // suite's functions and the number of shards.
    bool plan(std::deque<SuiteJob> *jobs, RunResults *results, Failure *failure);
    bool createTrees(std::deque<SuiteJob> *jobs, QString *error) const;
    // How many suite processes were asked to run at a time.
    int requestedParallel() const;

    // The times the shards are cut by: the built-in ones, and over them an
    // earlier run's (--durations-from) when durationsFile is set.
    static bool expectedSeconds(const QString &durationsFile, QHash<QString, double> *expected, QString *error);

    // The next retry of the function or row whose verdict failed in failed:
    // the run's job number jobIndex, in the repetition the try failed in.
    SuiteJob retryOf(const SuiteJob &failed, const TestVerdict &verdict, int jobIndex, const RunResults &results);
    // Lays out the run tree of a job planned after the others.
    bool createTree(SuiteJob *job, QString *error) const;

private:
    // Refuses selections that name no function or row of the suite's
    // listing; the rest are what they select, in the suite's order.
    bool checkSelections(const QStringList &selections, QStringList *testNames, Failure *failure) const;
    bool listSuite(QByteArray *listing, QStringList *errorLines) const;
    void addShards(const QVector<ShardPlan::Shard> &shards, std::deque<SuiteJob> *jobs);
    QString runName(int repetition) const;

    CheckOptions m_options;
    QString m_rootPath;
    // What every suite process gets beside its selection of functions and rows.
    QStringList m_suiteOptions;
    int m_requestedParallel = 1;
    int m_retryCount = 0;
};

#endif // KORVUCHECK_JOBPLANNER_H
