#include "run/failurelimit.h"

FailureLimit::FailureLimit(int maximum, bool failOnFlaky)
    : m_maximum(maximum)
    , m_failOnFlaky(failOnFlaky)
{
}

bool FailureLimit::countVerdict(const TestVerdict &verdict, int attempt, bool retried)
{
    if (!verdict.endsTest())
        return false;
    const bool finalFailure = verdict.isFailure() && !retried;
    const bool flakyFailsRun = m_failOnFlaky && attempt > 1 && verdict.outcome == TestVerdict::Outcome::Pass;
    return (finalFailure || flakyFailsRun) && count();
}

bool FailureLimit::countBreak() { return count(); }

bool FailureLimit::isReached() const { return m_maximum > 0 && m_failures >= m_maximum; }

QString FailureLimit::notRunReason() const
{
    // Failures of processes still stopping may come after the one that stopped the run.
    return QStringLiteral("not run: stopped after %1 failure%2").arg(m_maximum).arg(m_maximum == 1 ? "" : "s");
}

// Only the failure that reaches the limit stops the run; those after it,
// from processes still stopping, change nothing.
bool FailureLimit::count()
{
    const bool wasReached = isReached();
    ++m_failures;
    return !wasReached && isReached();
}
