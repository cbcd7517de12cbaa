#ifndef KORVUCHECK_RUNRESULTS_H
#define KORVUCHECK_RUNRESULTS_H

#include "results/daemonfinding.h"
#include "results/rowstatus.h"
#include "results/testverdict.h"

#include <QDateTime>
#include <QHash>
#include <QJsonObject>
#include <QPair>
#include <QStringList>
#include <QVector>

#include <functional>

// The verdicts of every suite process of one check, gathered per function and
// row in the suite's order, with the traffic behind each failure and the
// findings in the daemon's output. The hooks
// that every shard runs (initTestCase, cleanupTestCase) count once per
// repetition: failed when any shard's failed, naming that shard. Each
// function and row's status is decided here (status()); the reports, the
// exit status, a merge and the watch only translate it.
class RunResults
{
public:
    // Which suite process a verdict came from.
    struct Origin
    {
        int job = 0;
        int shard = 0;
        int repetition = 1;
        QString shardName; // empty when the suite ran as one process
        // 1 for a function or row's first run in its repetition; a retry of
        // one that failed (--retries) counts on from there.
        int attempt = 1;
    };

    // One verdict of a function or row.
    struct Run
    {
        TestVerdict verdict;
        Origin origin;
        QStringList notes; // where a hook failed, when shards ran it; a known race
        QVector<QJsonObject> exchanges; // the traffic of the function or row in this run, as traced
        // The suite's log messages under the function or row in this run, as
        // the plain-text log shows them; the daemon's output is among them.
        QStringList logLines;
    };

    // A finding in the daemon's output or end, from the run it was made in.
    struct Finding
    {
        DaemonFinding finding;
        Origin origin;
    };

    // How a verdict, or a function or row over all its runs, came out.
    using Outcome = RowStatus::Outcome;
    static Outcome outcomeOf(const TestVerdict &verdict);

    // A test function without data rows, or one data row of a function,
    // with every run it had: what the reports call a test case.
    struct TestCase
    {
        QString testName;
        // In order of repetition; an expected failure precedes the verdict of its run.
        QVector<Run> runs;
        QVector<Finding> findings;

        Outcome outcome() const;
        // The runs that ended the function or row, every try; an expected
        // failure is no end.
        QVector<Run> endedRuns() const;
        // Per repetition, the verdict of its last try: what counts.
        QVector<Run> finalVerdicts() const;
        // Repetitions whose last try passed, and those whose last try failed.
        int passes() const;
        int failures() const;
        // Tries that failed and were run again, over all repetitions.
        int retries() const;
        // Some repetition passed only on a retry.
        bool passedOnRetry() const;
        // Passed on a retry, or passed in some repetitions and failed in others.
        bool isFlaky() const;
    };

    // The verdicts of the whole run, as the test framework's totals count
    // them: passes and failures per row, skips and blacklisted verdicts per run.
    // A row that fails the run only by passing on a retry (--fail-on-flaky)
    // counts that pass as a failure.
    struct Counts
    {
        int passed = 0;
        int failed = 0; // with the breaks: failureCount()
        int skipped = 0;
        int blacklisted = 0;
        // Rows that passed in some repetitions and failed in others, or passed
        // only on a retry.
        int flaky = 0;
        int passedOnRetry = 0; // of those, the rows that passed only on a retry
        int notRun = 0; // notRun()
    };

    // A suite process that broke off: it crashed, was stopped, could not
    // start or ended without its results.
    struct BrokenOffProcess
    {
        QString type; // "crash", "interrupted", "start" or "incomplete"
        QString description;
        QString testName; // the function or row it broke off in, "" outside one
        double seconds = 0; // since the last function or row ended
        QStringList lastOutput;
        Origin origin;

        // "the suite crashed (signal 11) (shard 2 (testAvailable))"; morePlace
        // follows the shard, such as the repetition.
        QString describedWithShard(const QString &morePlace = QString()) const;
    };

    // A function or row that was planned but never ran, because the run
    // stopped first.
    struct NotRunTest
    {
        QString testName;
        QString reason; // "not run: stopped after 1 failure"
    };

    // korvu-check's own error that kept the suite from running or from
    // being reported, e.g. a daemon that never listened.
    struct SetupError
    {
        QString message;
        QStringList details;
    };

    // What was checked, and how: every report describes the run with it.
    struct Environment
    {
        // Shared by every slice of one run, so that their reports can be merged.
        QString runId;
        QString toolVersion; // korvu-check's
        QString daemon; // as given on the command line
        QString suite;
        // The builds checked: reports of different builds belong to different runs.
        QString daemonSha256;
        QString suiteSha256;
        QString mocksDir;
        QString experienceDir;
        QString qtVersion; // the Qt that korvu-check runs with
        QString isolation; // "a private network namespace (unshare)" or "the shared network"
        QStringList wrapCommand; // --wrap's words, none without one
        QString hostName;
        QString osPlatform; // the kernel's name, "linux"
        QString osVersion; // "Debian GNU/Linux 12 (bookworm)"
        int sliceIndex = 0; // with --shard K/N, K and N; 0 and 0 without
        int sliceCount = 0;
        int repeat = 1;
        int retries = 0; // --retries: how often a failed function or row may run again
        // --fail-on-flaky: a row that passed only on a retry fails the run.
        bool failOnFlaky = false;
    };

    void setEnvironment(const Environment &environment);
    Environment environment() const;
    // The hashes of the builds checked, which a check learns only after its start.
    void setBuildHashes(const QString &daemonSha256, const QString &suiteSha256);
    // Suite processes per repetition, as planned; 0 when the suite ran as one.
    void setShardCount(int count);
    int shardCount() const;

    // The suite program's file name, and the test class it named itself.
    void setSuiteFile(const QString &fileName);
    QString suiteFile() const;
    void setSuiteName(const QString &name);
    // The test class, or the file name when the suite named none.
    QString suiteName() const;
    void setStartTime(const QDateTime &startTime);
    QDateTime startTime() const;
    // When the last suite process ended, or the check stopped.
    void setStopTime(const QDateTime &stopTime);
    QDateTime stopTime() const;
    // The wall time of the whole check.
    void setSeconds(double seconds);
    double seconds() const;
    // A line of the suite's console output as shown, "[shard-2] ..." with shards.
    void addOutputLine(const QString &line);
    QStringList outputLines() const;
    void addSetupError(const QString &message, const QStringList &details);
    QVector<SetupError> setupErrors() const;
    // What a check that stopped before the suite's results counted reports:
    // its names, order, times, output and setup errors, without verdicts,
    // breaks or findings.
    RunResults withoutSuiteResults() const;

    // The suite's order of functions and rows; others follow as they come.
    // A slice's order names the rows of the other slices too, so that their
    // reports can be put back in order.
    void setOrder(const QStringList &testNames);
    QStringList order() const;
    void addVerdict(const TestVerdict &verdict, const Origin &origin);
    // A run as a report recorded it, with its notes, exchanges and log lines.
    void addRun(const Run &run);
    void addBreak(const BrokenOffProcess &suiteBreak);
    void addFinding(const DaemonFinding &finding, const Origin &origin);
    // Each of the planned functions and rows that has neither a verdict nor
    // a break by now is not run, for the reason given.
    void addNotRun(const QStringList &plannedTestNames, const QString &reason);
    // A log message of a function or row; it joins the run whose verdict
    // follows in the same suite process.
    void addLogLine(const QString &testName, const Origin &origin, const QString &line);
    // The exchanges of a function or row, by its name; and the note a failure
    // with its exchanges calls for, or an empty one.
    using ExchangesOf = std::function<QVector<QJsonObject>(const QString &testName)>;
    using FailureNote = std::function<QString(const TestVerdict &verdict, const QVector<QJsonObject> &exchanges)>;
    // Puts the traffic of a finished job under the runs it ended, and beside
    // each failure the note it calls for.
    void attachTraffic(int job, const ExchangesOf &exchangesOf, const FailureNote &noteFor);

    // Every function and row in the suite's order, each hook with one run
    // per repetition, as the reports count them.
    QVector<TestCase> rowsWithHooksMerged() const;
    // The same rows with every shard's run of a hook, as they were recorded.
    QVector<TestCase> rowsWithEveryHookRun() const;
    QVector<BrokenOffProcess> breaks() const;
    // Every finding, in the order of the rows and of the runs; those of a
    // function or row without a verdict (the suite broke off) last.
    QVector<Finding> findings() const;
    // The findings of functions or rows without a verdict, in the order they
    // came: where the suite broke off.
    QVector<Finding> findingsWithoutVerdict() const;
    Counts counts() const;
    // The functions and rows that were planned and never ran, in the suite's
    // order: a row that ran in any repetition, slice or shard is not among them.
    QVector<NotRunTest> notRun() const;
    // What each function and row came to, and whether and why it fails the
    // run, in the order of rowsWithHooksMerged(); then each function or row
    // the suite broke off in before its verdict, in the order of the breaks;
    // then those not run.
    QVector<RowStatus> statuses() const;
    RowStatus status(const TestCase &row) const;
    // What the rows' statuses add to the failures, and the breaks outside
    // any function or row: what the exit status counts.
    int failureCount() const;
    // The exit status those failures give, capped as the framework caps it:
    // above 127 a status would read as death by a signal.
    int failureStatus() const;
    // How long one run of each function and row took on average, hooks
    // aside: what the shards of a later run can expect of them.
    QHash<QString, double> meanSeconds() const;

    // The name every report gives a function or row ("testDelivery(DPD Prio)").
    // A slice names its hooks after itself, as if they were rows, so that the
    // reports of all slices hold every test case once.
    QString reportedName(const QString &testName) const;

    // "try 2 of 3": which try of its repetition a run was, under --retries.
    QString tryName(const Origin &origin) const;
    // "passed on try 2 of 3" for a row that passed only on a retry ("passed on
    // a retry in runs 1, 3" with repeats); empty for any other row.
    QString retryText(const TestCase &row) const;

    // The order of a run of these functions and rows: the hooks around them.
    static QStringList withHooks(const QStringList &testNames);
    static bool isHook(const TestVerdict &verdict);
    static bool isHookFunction(const QString &function);

private:
    // Whether the function or row has a verdict or a break in any run.
    bool ranOrBrokeOff(const QString &testName) const;

    Environment m_environment;
    int m_shardCount = 0;
    QDateTime m_stopTime;
    // Per job and function or row, log lines waiting for their verdict.
    QHash<QPair<int, QString>, QStringList> m_pendingLogLines;
    QString m_suiteFile;
    QString m_suiteName;
    QDateTime m_startTime;
    double m_seconds = 0;
    QStringList m_outputLines;
    QVector<SetupError> m_setupErrors;
    QStringList m_order;
    QVector<TestCase> m_rows;
    QVector<BrokenOffProcess> m_breaks;
    QVector<Finding> m_findings;
    QVector<NotRunTest> m_notRun;
};

#endif // KORVUCHECK_RUNRESULTS_H
