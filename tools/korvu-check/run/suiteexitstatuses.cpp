#include "run/suiteexitstatuses.h"

void SuiteExitStatuses::verdictFailed(int job) { m_jobsWithFailures.insert(job); }

void SuiteExitStatuses::processEnded(int job, int exitStatus) { m_statusByJob.insert(job, exitStatus); }

void SuiteExitStatuses::addTo(ExitStatus::Facts *facts) const
{
    for (auto it = m_statusByJob.cbegin(); it != m_statusByJob.cend(); ++it) {
        const int status = it.value();
        if (status > ExitStatus::SignalBase && facts->suiteSignal == 0)
            facts->suiteSignal = status - ExitStatus::SignalBase;
        else if (status != 0 && facts->problem == 0 && !m_jobsWithFailures.contains(it.key()))
            facts->problem = status;
    }
}
