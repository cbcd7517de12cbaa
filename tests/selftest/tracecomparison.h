#ifndef SELFTEST_TRACECOMPARISON_H
#define SELFTEST_TRACECOMPARISON_H

#include <QString>

class SuiteRun;

// What tracing the suite's traffic may and must do, judged on two runs of the
// same scenario, one without KORVU_TRACE_FILE and one with it: the suite
// prints and sends the same, and the trace holds every exchange the scripted
// daemon saw, in order.
namespace TraceComparison {

// Everything that is not so; empty when the traced run is as it must be.
QString judge(const SuiteRun &plain, const SuiteRun &traced);

} // namespace TraceComparison

#endif // SELFTEST_TRACECOMPARISON_H
