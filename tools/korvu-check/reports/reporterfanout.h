#ifndef KORVUCHECK_REPORTERFANOUT_H
#define KORVUCHECK_REPORTERFANOUT_H

#include "reports/reporter.h"

#include <memory>
#include <utility>
#include <vector>

// Tells each live event of a run to every reporter, in the order they were
// added, so that the run records an event once whoever shows it.
class ReporterFanOut
{
public:
    void add(std::unique_ptr<Reporter> reporter);

    // tell(&Reporter::verdictRead, results, origin, verdict)
    template<typename... Parameters, typename... Arguments>
    void tell(void (Reporter::*event)(Parameters...), const Arguments &...arguments)
    {
        for (const std::unique_ptr<Reporter> &reporter : m_reporters)
            ((*reporter).*event)(arguments...);
    }

private:
    std::vector<std::unique_ptr<Reporter>> m_reporters;
};

#endif // KORVUCHECK_REPORTERFANOUT_H
