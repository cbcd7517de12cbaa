#ifndef KORVUCHECK_SHARDPLAN_H
#define KORVUCHECK_SHARDPLAN_H

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QVector>

// The selected functions and rows of the suite cut into shards, each run as a
// suite process of its own, and the slices of shards that CI machines share.
// The functions and rows come from the suite itself ("-datatags"), so a suite
// that gains rows needs no change here.
class ShardPlan
{
public:
    struct Test
    {
        QString function;
        QString row; // empty for a function without data

        // "function" or "function(row)", as the verdicts name it.
        QString testName() const;
        // "function" or "function:row", as the command lines name it.
        QString selectionWord() const;
    };

    struct Shard
    {
        QVector<Test> tests;
        // The suite's command-line selection: "function", or "function:row" for each
        // row when the shard holds only some of the function's rows.
        QStringList selections;
        double expectedSeconds = 0;
        // A test that waits long enough to run alone, while quicker shards
        // can share the machine.
        bool runsAlone = false;
    };

    // The functions and rows of what "testdeliveries -datatags" printed, in
    // its order; false with *error for a listing it cannot read.
    static bool readListing(const QByteArray &listing, QVector<Test> *tests, QString *error);
    // The suite's command-line selection of tests, which are among listed:
    // "function" where they hold all its rows, else "function:row" for each.
    static QStringList selectionsOf(const QVector<Test> &tests, const QVector<Test> &listed);

    // listing: what "testdeliveries -datatags" printed. selections: the functions and
    // rows named on the command line, "function" or "function:row"; none selects all.
    // expectedSeconds: the time of one run of a row, by its name ("function(row)"),
    // or else of any row of its function, by the function's name; a row named in
    // neither counts as quick. Returns false with *error set for a listing it
    // cannot read or a selection the suite does not have.
    static bool make(const QByteArray &listing, const QStringList &selections,
                     const QHash<QString, double> &expectedSeconds, ShardPlan *plan, QString *error);
    // The expectations of make() for a run that knows an earlier one's times
    // (--durations-from): measured, the mean of each function and row there,
    // over builtIn; whatever the earlier run did not hold, such as the rows of
    // other slices, keeps its built-in time rather than counting as quick.
    static QHash<QString, double> combinedExpectations(const QHash<QString, double> &builtIn,
                                                       const QHash<QString, double> &measured);

    // Slice index (from 1) of count: the shards dealt out by expected time, longest
    // first, each to the slice with the least so far; the same plan always gives
    // the same slices.
    ShardPlan slice(int index, int count) const;

    // What each suite process runs: every shard on its own, or all of them
    // in one. A plan without shards (a slice that got none) gives no process,
    // never one without selections, which would run the whole suite.
    QVector<Shard> processes(bool asOneProcess) const;
    // Every test of the plan, in the suite's order.
    QStringList testNames() const;

    // Splits the suite's arguments into selections of functions and rows and the
    // options that every shard gets, such as -v2 or -maxwarnings 0.
    static void splitSuiteArguments(const QStringList &arguments, QStringList *selections, QStringList *options);

private:
    void addShard(const QVector<Test> &tests, double seconds, bool runsAlone, const QVector<Test> &listed);

    QVector<Shard> m_shards;
    QStringList m_testNames;
};

#endif // KORVUCHECK_SHARDPLAN_H
