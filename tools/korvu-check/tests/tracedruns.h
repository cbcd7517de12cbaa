#ifndef KORVUCHECK_TESTS_TRACEDRUNS_H
#define KORVUCHECK_TESTS_TRACEDRUNS_H

#include "collect/knownrace.h"
#include "collect/trafficlog.h"
#include "results/runresults.h"

// The trace of a job's suite process put under its runs, as a check does.
inline void attachTrace(RunResults *results, int job, const QString &fileName)
{
    const TrafficLog log = TrafficLog::fromFile(fileName);
    results->attachTraffic(
        job, [&log](const QString &testName) { return log.exchangesOf(testName); }, KnownRace::noteFor);
}

#endif // KORVUCHECK_TESTS_TRACEDRUNS_H
