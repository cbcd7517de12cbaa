#ifndef KORVUCHECK_EXITSTATUS_H
#define KORVUCHECK_EXITSTATUS_H

// The exit statuses of korvu-check other than the suite's own; they stand in
// its help text, so scripts may rely on them.
namespace ExitStatus {

enum : int {
    BadCommandLine = 2,
    EnvironmentProblem = 3,
    DaemonDoesNotStart = 4,
    // Every check passed, but the daemon's output or end showed a fault.
    DaemonFindings = 5,
    // A run stopped by signal N, or a suite that died of it, ends with 128 + N.
    SignalBase = 128
};

// What a check or a merge came to, as far as its exit status tells.
struct Facts
{
    int stopSignal = 0; // korvu-check was stopped by this signal
    int suiteSignal = 0; // a suite process died of this signal
    // What the statuses of the functions and rows add up to, and the runs
    // that broke off outside any: RunResults::failureStatus().
    int failures = 0;
    // A status that no verdict explains: a suite process's own, or
    // korvu-check's (BadCommandLine, EnvironmentProblem, DaemonDoesNotStart).
    int problem = 0;
    bool findings = false;
    bool reportMissing = false; // a report asked for could not be written
};

// The one rule for a check and a merge alike: a stop or a suite's death
// first, then failures, then problems, then findings, then a missing report.
int of(const Facts &facts);

} // namespace ExitStatus

#endif // KORVUCHECK_EXITSTATUS_H
