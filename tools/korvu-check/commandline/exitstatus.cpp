#include "commandline/exitstatus.h"

int ExitStatus::of(const Facts &facts)
{
    if (facts.stopSignal > 0)
        return SignalBase + facts.stopSignal;
    if (facts.suiteSignal > 0)
        return SignalBase + facts.suiteSignal;
    if (facts.failures > 0)
        return facts.failures;
    if (facts.problem != 0)
        return facts.problem;
    if (facts.findings)
        return DaemonFindings;
    return facts.reportMissing ? EnvironmentProblem : 0;
}
