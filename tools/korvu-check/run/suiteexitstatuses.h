#ifndef KORVUCHECK_SUITEEXITSTATUSES_H
#define KORVUCHECK_SUITEEXITSTATUSES_H

#include "commandline/exitstatus.h"

#include <QMap>
#include <QSet>

// The exit statuses of a run's suite processes, for what korvu-check's own
// says: a suite's death, or a status that no failed verdict explains.
class SuiteExitStatuses
{
public:
    // A verdict of the job failed: its status is the results' to count, as a
    // retry may have passed.
    void verdictFailed(int job);
    void processEnded(int job, int exitStatus);
    // Sets the suite's signal and the problem, first by job.
    void addTo(ExitStatus::Facts *facts) const;

private:
    QSet<int> m_jobsWithFailures;
    QMap<int, int> m_statusByJob;
};

#endif // KORVUCHECK_SUITEEXITSTATUSES_H
