#ifndef KORVUCHECK_RUNRECORDER_H
#define KORVUCHECK_RUNRECORDER_H

#include "reports/reporterfanout.h"
#include "results/runresults.h"

#include <optional>

// Records what the suite processes of a run report into the results, and
// then tells every reporter, which so always finds the event recorded.
class RunRecorder
{
public:
    RunResults &results();
    const RunResults &results() const;
    ReporterFanOut &reporters();

    // An error of korvu-check's own: the first line says what, the others explain.
    void setupError(const QStringList &lines);
    void verdictRead(const RunResults::Origin &origin, const TestVerdict &verdict);
    void findingMade(const RunResults::Origin &origin, const DaemonFinding &finding);
    // A log message or line of standard error, as the console shows it.
    void outputLine(const QString &line);
    void lineLogged(const QString &testName, const RunResults::Origin &origin, const QString &line);
    // A suite process ended, broken off or not; its traffic trace in
    // traceFile adds the exchanges of each function and row and the signals
    // its daemons died of.
    void processEnded(const RunResults::Origin &origin, const std::optional<RunResults::BrokenOffProcess> &suiteBreak,
                      const QString &traceFile);

private:
    RunResults m_results;
    ReporterFanOut m_reporters;
};

#endif // KORVUCHECK_RUNRECORDER_H
