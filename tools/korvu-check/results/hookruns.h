#ifndef KORVUCHECK_HOOKRUNS_H
#define KORVUCHECK_HOOKRUNS_H

#include "results/runresults.h"

// The hooks that every shard runs (initTestCase, cleanupTestCase), counted
// once per repetition as the reports count them.
class HookRuns
{
public:
    // A row of RunResults::rowsWithEveryHookRun() as rowsWithHooksMerged()
    // holds it: a hook with one run per repetition, any other row as it is.
    static RunResults::TestCase merged(RunResults::TestCase row);

private:
    static QVector<RunResults::Run> mergedRuns(const QVector<RunResults::Run> &runs);
};

#endif // KORVUCHECK_HOOKRUNS_H
