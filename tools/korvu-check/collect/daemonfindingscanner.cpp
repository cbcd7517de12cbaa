#include "collect/daemonfindingscanner.h"
#include "collect/trafficlog.h"

#include <tracefields.h>

#include <QRegularExpression>

#include <cstring>

namespace {

// A runaway report is cut here; the run tree or the suite's log holds the rest.
const int keptReportLines = 200;

// Each line of a valgrind report starts with "==PID== ".
const QRegularExpression valgrindLine(QStringLiteral("^(==\\d+==) (.*)$"));
// The first line of each kind of error report that valgrind's tools write.
const QRegularExpression valgrindError(QStringLiteral(
    "^(Invalid |Mismatched free|Conditional jump or move depends on uninitialised|Use of uninitialised value"
    "|Syscall param |Source and destination overlap|Argument '|Jump to the invalid address"
    "|Process terminating with default action of signal|Possible data race|Lock order"
    "|[\\d,]+ (\\(.*\\) )?bytes in [\\d,]+ blocks are (definitely|indirectly|possibly) lost)"));
const QRegularExpression valgrindSummary(QStringLiteral("^ERROR SUMMARY: ([\\d,]+) errors"));
const QRegularExpression sanitizerError(QStringLiteral("^==\\d+==ERROR: (AddressSanitizer|LeakSanitizer): "));
const QRegularExpression sanitizerEnd(QStringLiteral("^(SUMMARY: |==\\d+==ABORTING)"));
const QRegularExpression undefinedBehavior(QStringLiteral("^\\S.*:\\d+:\\d+: runtime error: "));
const QRegularExpression threadSanitizerWarning(QStringLiteral("^WARNING: ThreadSanitizer: "));
const QRegularExpression threadSanitizerEnd(QStringLiteral("^={10,}$"));

} // namespace

void DaemonFindingScanner::setFindingHandler(const FindingHandler &handler) { m_handler = handler; }

void DaemonFindingScanner::addLine(const QString &function, const QString &row, const QString &line)
{
    m_seenFunction = m_seenFunction || !function.isEmpty();
    if (m_open && continueReport(line))
        return;
    if (!function.isEmpty()) {
        startReport(function, row, line);
        return;
    }
    startReport(m_seenFunction ? QStringLiteral("cleanupTestCase") : QStringLiteral("initTestCase"), QString(), line);
}

void DaemonFindingScanner::finish()
{
    if (!m_open)
        return;
    m_open = false;
    handOn(m_report.finding);
}

QVector<DaemonFinding> DaemonFindingScanner::signalFindings(const QVector<QJsonObject> &traceEntries)
{
    QVector<DaemonFinding> findings;
    QSet<qint64> killed;
    for (const QJsonObject &entry : traceEntries) {
        const qint64 pid = static_cast<qint64>(entry.value(QLatin1String(TraceFields::pid)).toDouble());
        const QString kind = TrafficLog::field(entry, TraceFields::kind);
        if (kind == QLatin1String(TraceFields::daemonKillKind)) {
            killed.insert(pid);
        } else if (kind == QLatin1String(TraceFields::daemonExitKind)
                   && TrafficLog::field(entry, TraceFields::exitStatus) == QLatin1String(TraceFields::crashExit)
                   && !killed.contains(pid)) {
            const int signalNumber = entry.value(QLatin1String(TraceFields::exitCode)).toInt();
            DaemonFinding finding;
            finding.kind = DaemonFinding::Kind::Signal;
            finding.function = TrafficLog::field(entry, TraceFields::function);
            finding.row = TrafficLog::field(entry, TraceFields::row);
            finding.lines = QStringList{
                QStringLiteral("korvud (pid %1) died of signal %2 (%3), which the suite did not send")
                    .arg(pid)
                    .arg(signalNumber)
                    .arg(QString::fromLocal8Bit(::strsignal(signalNumber)))};
            findings.append(finding);
        }
    }
    return findings;
}

bool DaemonFindingScanner::startReport(const QString &function, const QString &row, const QString &line)
{
    DaemonFinding finding;
    finding.function = function;
    finding.row = row;
    finding.lines = QStringList{line};
    QString pidPrefix;
    bool single = false;

    const QRegularExpressionMatch valgrind = valgrindLine.match(line);
    if (valgrind.hasMatch() && valgrindError.match(valgrind.captured(2)).hasMatch()) {
        finding.kind = DaemonFinding::Kind::Valgrind;
        pidPrefix = valgrind.captured(1);
        m_reportedValgrindPids.insert(pidPrefix);
    } else if (valgrind.hasMatch()) {
        const QRegularExpressionMatch summary = valgrindSummary.match(valgrind.captured(2));
        if (!summary.hasMatch() || summary.captured(1) == QLatin1String("0")
            || m_reportedValgrindPids.contains(valgrind.captured(1)))
            return false;
        finding.kind = DaemonFinding::Kind::Valgrind;
        single = true;
    } else if (const QRegularExpressionMatch sanitizer = sanitizerError.match(line); sanitizer.hasMatch()) {
        finding.kind = sanitizer.captured(1) == QLatin1String("LeakSanitizer") ? DaemonFinding::Kind::LeakSanitizer
                                                                               : DaemonFinding::Kind::AddressSanitizer;
    } else if (threadSanitizerWarning.match(line).hasMatch()) {
        finding.kind = DaemonFinding::Kind::ThreadSanitizer;
    } else if (undefinedBehavior.match(line).hasMatch()) {
        finding.kind = DaemonFinding::Kind::UndefinedBehaviorSanitizer;
        single = true;
    } else {
        return false;
    }

    finish();
    if (single) {
        handOn(finding);
        return true;
    }
    m_report = {finding, pidPrefix};
    m_open = true;
    return true;
}

bool DaemonFindingScanner::continueReport(const QString &line)
{
    DaemonFinding &finding = m_report.finding;
    bool ended = false;
    switch (finding.kind) {
    case DaemonFinding::Kind::Valgrind: {
        // The daemon's own lines may come between those of the report.
        if (!line.startsWith(m_report.pidPrefix))
            return false;
        const QString text = line.mid(m_report.pidPrefix.size()).trimmed();
        if (valgrindError.match(text).hasMatch())
            return false;
        if (text.isEmpty())
            ended = true;
        else
            finding.lines.append(line);
        break;
    }
    case DaemonFinding::Kind::ThreadSanitizer:
        ended = threadSanitizerEnd.match(line).hasMatch();
        if (!ended)
            finding.lines.append(line);
        break;
    default:
        finding.lines.append(line);
        ended = sanitizerEnd.match(line).hasMatch();
        break;
    }
    if (ended || finding.lines.size() >= keptReportLines)
        finish();
    return true;
}

void DaemonFindingScanner::handOn(const DaemonFinding &finding)
{
    if (m_handler)
        m_handler(finding);
}
