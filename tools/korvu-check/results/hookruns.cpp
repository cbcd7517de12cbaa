#include "results/hookruns.h"

RunResults::TestCase HookRuns::merged(RunResults::TestCase row)
{
    if (!row.runs.isEmpty() && RunResults::isHook(row.runs.constFirst().verdict))
        row.runs = mergedRuns(row.runs);
    return row;
}

// One verdict per repetition: the first failure of any shard, noting every
// shard it failed in, or a pass as long as the longest one.
QVector<RunResults::Run> HookRuns::mergedRuns(const QVector<RunResults::Run> &runs)
{
    QVector<RunResults::Run> merged;
    for (int first = 0; first < runs.size();) {
        int end = first;
        while (end < runs.size() && runs.at(end).origin.repetition == runs.at(first).origin.repetition)
            ++end;
        RunResults::Run kept;
        int verdicts = 0;
        double longest = 0;
        QStringList notes;
        for (int i = first; i < end; ++i) {
            const RunResults::Run &run = runs.at(i);
            if (!run.verdict.endsTest())
                continue;
            longest = qMax(longest, run.verdict.seconds);
            if (run.verdict.isFailure() && !run.origin.shardName.isEmpty())
                notes.append(QStringLiteral("failed in %1").arg(run.origin.shardName));
            if (verdicts++ == 0 || (run.verdict.isFailure() && !kept.verdict.isFailure()))
                kept = run;
        }
        if (verdicts > 0) {
            kept.verdict.seconds = longest;
            kept.notes = notes.size() > 1 && notes.size() == verdicts
                             ? QStringList{QStringLiteral("failed in all %1 shards").arg(verdicts)}
                             : notes;
            merged.append(kept);
        }
        first = end;
    }
    return merged;
}
