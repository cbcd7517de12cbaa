#ifndef KORVUCHECK_ROWSTATUS_H
#define KORVUCHECK_ROWSTATUS_H

#include <QString>

// What a function or row came to over all its runs, and whether and why it
// fails the run. RunResults decides it once; every report, the exit status,
// a merge and the watch's comparison only put it into their words.
struct RowStatus
{
    enum class Outcome {
        Passed, // passed, at the first try of every repetition (skipped in some, perhaps)
        Failed, // the last try of every repetition that ended failed
        // Passed in some repetitions and failed in others, or passed only on
        // a retry.
        Flaky,
        Skipped, // skipped in every repetition
        Other, // blacklisted, an expected failure, or no verdict at all
        BrokenOff, // the suite broke off in it before any verdict
        NotRun // planned, but the run stopped before it (--max-failures)
    };

    // Why it fails the run, the first that applies; the exit status tells
    // a finding apart from the others.
    enum class Cause {
        None,
        LastTryFailed, // in some repetition
        PassedOnlyOnRetry, // under --fail-on-flaky
        Finding, // the daemon reported a fault while it ran
        BrokenOff // a suite process broke off in it
    };

    QString testName;
    Outcome outcome = Outcome::Other;
    Cause cause = Cause::None;
    // "passed only on a retry, and --fail-on-flaky is set"; for a row not
    // run, why ("not run: stopped after 1 failure"); empty otherwise.
    QString reason;
    // What it adds to the failures that make the exit status: its failed
    // last tries and the breaks in it, or one for a pass only on a retry.
    int failures = 0;

    bool failsRun() const { return cause != Cause::None; }
};

#endif // KORVUCHECK_ROWSTATUS_H
