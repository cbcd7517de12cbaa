#include "results/runresults.h"

#include <algorithm>

// How one function or row came out over its runs: the counting under every
// status that RunResults decides.

RunResults::Outcome RunResults::TestCase::outcome() const
{
    if (isFlaky())
        return Outcome::Flaky;
    if (failures() > 0)
        return Outcome::Failed;
    const QVector<Run> last = finalVerdicts();
    if (passes() > 0)
        return Outcome::Passed;
    const bool allSkipped = !last.isEmpty() && std::all_of(last.cbegin(), last.cend(), [](const Run &run) {
        return outcomeOf(run.verdict) == Outcome::Skipped;
    });
    return allSkipped ? Outcome::Skipped : Outcome::Other;
}

QVector<RunResults::Run> RunResults::TestCase::endedRuns() const
{
    QVector<Run> ended;
    for (const Run &run : runs) {
        if (run.verdict.endsTest())
            ended.append(run);
    }
    return ended;
}

QVector<RunResults::Run> RunResults::TestCase::finalVerdicts() const
{
    QVector<Run> last;
    for (const Run &run : runs) {
        if (!run.verdict.endsTest())
            continue;
        auto same = std::find_if(last.begin(), last.end(),
                                 [&run](const Run &kept) { return kept.origin.repetition == run.origin.repetition; });
        if (same == last.end())
            last.append(run);
        else if (run.origin.attempt > same->origin.attempt)
            *same = run;
    }
    return last;
}

int RunResults::TestCase::passes() const
{
    const QVector<Run> last = finalVerdicts();
    return std::count_if(last.cbegin(), last.cend(),
                         [](const Run &run) { return outcomeOf(run.verdict) == Outcome::Passed; });
}

int RunResults::TestCase::failures() const
{
    const QVector<Run> last = finalVerdicts();
    return std::count_if(last.cbegin(), last.cend(),
                         [](const Run &run) { return outcomeOf(run.verdict) == Outcome::Failed; });
}

int RunResults::TestCase::retries() const
{
    const QVector<Run> last = finalVerdicts();
    int retried = 0;
    for (const Run &run : last)
        retried += run.origin.attempt - 1;
    return retried;
}

bool RunResults::TestCase::passedOnRetry() const
{
    const QVector<Run> last = finalVerdicts();
    return std::any_of(last.cbegin(), last.cend(), [](const Run &run) {
        return run.origin.attempt > 1 && run.verdict.outcome == TestVerdict::Outcome::Pass;
    });
}

bool RunResults::TestCase::isFlaky() const { return passedOnRetry() || (passes() > 0 && failures() > 0); }
