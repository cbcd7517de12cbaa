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

} // namespace ExitStatus

#endif // KORVUCHECK_EXITSTATUS_H
