#ifndef KORVUCHECK_FAILURELIMIT_H
#define KORVUCHECK_FAILURELIMIT_H

#include "results/testverdict.h"

#include <QString>

// --max-failures: counts the failures of a run as they come, as the exit
// status will count them, and says when the run is to stop.
class FailureLimit
{
public:
    // maximum: 0 for no limit.
    FailureLimit(int maximum, bool failOnFlaky);

    // A verdict of a try; retried: the function or row runs again, so its
    // failure is not final yet. Under --fail-on-flaky a pass on a retry
    // counts, as it fails the run. Returns whether the limit was reached now.
    bool countVerdict(const TestVerdict &verdict, int attempt, bool retried);
    // A suite process that broke off, which fails the run too.
    bool countBreak();
    bool isReached() const;
    // Why the rows the stop leaves are not run: "not run: stopped after 1 failure".
    QString notRunReason() const;

private:
    bool count();

    int m_maximum;
    bool m_failOnFlaky;
    int m_failures = 0;
};

#endif // KORVUCHECK_FAILURELIMIT_H
