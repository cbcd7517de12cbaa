#ifndef KORVUCHECK_STATUSRULE_H
#define KORVUCHECK_STATUSRULE_H

#include "results/rowstatus.h"
#include "results/runresults.h"

// The one rule for what a function or row came to and whether it fails the
// run: its verdicts, the suite processes that broke off in it, the daemon's
// findings while it ran, and --fail-on-flaky.
class StatusRule
{
public:
    // breaks: in the order RunResults::breaks() gives them.
    StatusRule(bool failOnFlaky, const QVector<RunResults::BrokenOffProcess> &breaks);

    // row: as RunResults::rowsWithHooksMerged() holds it, or one without
    // runs for a function or row the suite broke off in before its verdict.
    RowStatus statusOf(const RunResults::TestCase &row) const;
    // rows: as RunResults::rowsWithHooksMerged() holds them; then a status
    // for each function or row the suite broke off in before its verdict.
    QVector<RowStatus> statusesOf(const QVector<RunResults::TestCase> &rows) const;
    // A planned function or row that never ran fails nothing by itself: the
    // failures that stopped the run count already.
    static RowStatus statusOf(const RunResults::NotRunTest &notRun);
    // What the statuses add to the failures, and the breaks outside any
    // function or row.
    int failureCount(const QVector<RunResults::TestCase> &rows) const;

private:
    bool m_failOnFlaky;
    QVector<RunResults::BrokenOffProcess> m_breaks;
};

#endif // KORVUCHECK_STATUSRULE_H
