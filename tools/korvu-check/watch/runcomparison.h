#ifndef KORVUCHECK_RUNCOMPARISON_H
#define KORVUCHECK_RUNCOMPARISON_H

#include "results/runresults.h"

#include <QString>
#include <QStringList>

// What changed between two runs of the same check, function and row by
// function and row: the news of a rerun in watch mode. A row fails when its
// status says it fails the run, and passes when it passed, perhaps on a
// retry, and does not fail. A row skipped or without a verdict in the later
// run is neither fixed nor failing; only a row that failed in the earlier
// run is still failing.
class RunComparison
{
public:
    RunComparison(const RunResults &previous, const RunResults &current);

    // One line: "since the last run: fixed a; newly failing b; still failing 3 (c, d, e)",
    // the rows in the later run's order, by the name the reports give them.
    QString text() const;

    // Whether some function or row ran, or the suite broke off in one: a run
    // of a daemon that never came up has nothing to compare the next run with.
    bool anyRowRan() const;

private:
    QStringList m_fixed;
    QStringList m_newlyFailing;
    QStringList m_stillFailing;
    bool m_anyRowRan = false;
};

#endif // KORVUCHECK_RUNCOMPARISON_H
