#include "run/runrecorder.h"
#include "collect/daemonfindingscanner.h"
#include "collect/knownrace.h"
#include "collect/trafficlog.h"

RunResults &RunRecorder::results() { return m_results; }

const RunResults &RunRecorder::results() const { return m_results; }

ReporterFanOut &RunRecorder::reporters() { return m_reporters; }

void RunRecorder::setupError(const QStringList &lines)
{
    if (!lines.isEmpty())
        m_results.addSetupError(lines.constFirst(), lines.mid(1));
    m_reporters.tell(&Reporter::setupError, m_results, lines);
}

void RunRecorder::verdictRead(const RunResults::Origin &origin, const TestVerdict &verdict)
{
    m_results.addVerdict(verdict, origin);
    m_reporters.tell(&Reporter::verdictRead, m_results, origin, verdict);
}

void RunRecorder::findingMade(const RunResults::Origin &origin, const DaemonFinding &finding)
{
    m_results.addFinding(finding, origin);
    m_reporters.tell(&Reporter::findingMade, m_results, origin, finding);
}

void RunRecorder::outputLine(const QString &line)
{
    m_results.addOutputLine(line);
    m_reporters.tell(&Reporter::outputLine, line);
}

void RunRecorder::lineLogged(const QString &testName, const RunResults::Origin &origin, const QString &line)
{
    m_results.addLogLine(testName, origin, line);
}

void RunRecorder::processEnded(const RunResults::Origin &origin,
                               const std::optional<RunResults::BrokenOffProcess> &suiteBreak, const QString &traceFile)
{
    if (suiteBreak) {
        RunResults::BrokenOffProcess located = *suiteBreak;
        located.origin = origin;
        m_results.addBreak(located);
    }
    const TrafficLog log = TrafficLog::fromFile(traceFile);
    m_results.attachTraffic(
        origin.job, [&log](const QString &testName) { return log.exchangesOf(testName); }, KnownRace::noteFor);
    // Before the end is told: a reporter shows what it has of a process then.
    const QVector<DaemonFinding> deaths = DaemonFindingScanner::signalFindings(log.entries());
    for (const DaemonFinding &finding : deaths)
        findingMade(origin, finding);
    m_reporters.tell(&Reporter::processEnded, m_results, origin);
}
