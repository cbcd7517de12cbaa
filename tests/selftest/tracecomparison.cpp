#include "tracecomparison.h"

#include "selftestcase.h"
#include "suiterun.h"
#include "suitetexts.h"

#include <QRegularExpression>

#include <algorithm>

namespace {

// Clock readings in seconds (the calendar windows, the records' timestamps, the
// scan time), the run's duration and the ids the suite makes up for devices
// that do not exist differ from run to run; nothing else may. The scripted
// daemon counts its ids, so those stay.
QString normalised(QString text)
{
    static const QRegularExpression seconds(QStringLiteral("\\b\\d{10}\\b"));
    static const QRegularExpression duration(QStringLiteral(", \\d+ms\\n"));
    static const QRegularExpression madeUpId(QStringLiteral(
        "\\b(?!7e1e0000-|de11ce00-)[0-9a-f]{8}-[0-9a-f]{4}-4[0-9a-f]{3}-[89ab][0-9a-f]{3}-[0-9a-f]{12}\\b"));
    return text.replace(seconds, QStringLiteral("<seconds>"))
        .replace(duration, QStringLiteral(", <ms>\n"))
        .replace(madeUpId, QStringLiteral("<uuid>"));
}

// A request as the scripted daemon records it, with its id left out: the gate
// polls read until the gate shows its state, and how many reads that takes
// depends on the load of the machine, which moves the pseudo-random ids of
// every later request.
QString request(const QString &summary)
{
    static const QRegularExpression requestId(QStringLiteral("^rpc \\{\"id\":\\d+,"));
    return normalised(QString(summary).replace(requestId, QStringLiteral("rpc {\"id\":<id>,")));
}

// The console output without the warnings of refused connection attempts: how
// many the suite makes before the daemon listens is up to the machine's load,
// and judgeConnections() holds the traced run's count to its log.
QStringList consoleLines(const SuiteRun &run)
{
    QStringList lines = normalised(run.consoleOutput()).split('\n');
    lines.erase(std::remove_if(lines.begin(), lines.end(),
                               [](const QString &line) {
                                   return line.startsWith(QLatin1String("QWARN"))
                                          && line.contains(QLatin1String(SuiteTexts::connectionError));
                               }),
                lines.end());
    return lines;
}

// Consecutive repeats of a request are one: the polls again.
QStringList withoutRepeats(const QStringList &lines)
{
    QStringList kept;
    for (const QString &line : lines) {
        if (kept.isEmpty() || kept.constLast() != line)
            kept.append(line);
    }
    return kept;
}

// What the scripted daemon received; withStart: naming which start of it.
QStringList receivedRequests(const SuiteRun &run, bool withStart)
{
    QStringList lines;
    const QList<RequestRecord::Entry> entries = run.requests().entries();
    for (const RequestRecord::Entry &entry : entries) {
        const QString text = request(entry.summary());
        lines.append(withStart ? QStringLiteral("start %1: %2").arg(entry.start).arg(text) : text);
    }
    return withoutRepeats(lines);
}

QString firstDifference(const QStringList &expected, const QStringList &actual, const QString &what)
{
    for (int i = 0; i < qMax(expected.size(), actual.size()); ++i) {
        if (expected.value(i) != actual.value(i)) {
            return QStringLiteral("%1 differ at line %2:\n   without trace: %3\n   with trace:    %4")
                .arg(what)
                .arg(i + 1)
                .arg(expected.value(i, QStringLiteral("(nothing)")), actual.value(i, QStringLiteral("(nothing)")));
        }
    }
    return QString();
}

QString field(const QJsonObject &entry, const char *name) { return entry.value(QLatin1String(name)).toString(); }

// The requests the trace says were sent, as the scripted daemon records them.
QStringList tracedRequests(const QVector<QJsonObject> &trace)
{
    QStringList lines;
    for (const QJsonObject &entry : trace) {
        if (field(entry, "kind") == QLatin1String("rpc"))
            lines.append(request(QStringLiteral("rpc ") + field(entry, "request")));
        // A request that reached a control port has a status.
        if (field(entry, "kind") == QLatin1String("http") && entry.value(QLatin1String("status")).toInt() > 0) {
            lines.append(request(QStringLiteral("http %1 %2 %3 HTTP/1.1")
                                     .arg(entry.value(QLatin1String("port")).toInt())
                                     .arg(field(entry, "method"), field(entry, "path"))));
        }
    }
    return withoutRepeats(lines);
}

QString judgeDaemonLives(const QVector<QJsonObject> &trace)
{
    QStringList unended;
    for (const QJsonObject &entry : trace) {
        if (field(entry, "kind") != QLatin1String("daemonStart"))
            continue;
        const QJsonValue pid = entry.value(QLatin1String("pid"));
        int ends = 0;
        for (const QJsonObject &later : trace) {
            const QString kind = field(later, "kind");
            ends += (kind == QLatin1String("daemonKill") || kind == QLatin1String("daemonExit"))
                    && later.value(QLatin1String("pid")) == pid;
        }
        if (!entry.value(QLatin1String("started")).toBool() || ends != 2)
            unended.append(QString::number(pid.toInt()));
    }
    if (unended.isEmpty())
        return QString();
    return QStringLiteral("daemons not traced as started, killed and ended: pids %1").arg(unended.join(", "));
}

QString judgeConnections(const QVector<QJsonObject> &trace, const TestLog &log)
{
    int refused = 0;
    for (const QJsonObject &entry : trace)
        refused += field(entry, "kind") == QLatin1String("connect")
                   && !entry.value(QLatin1String("connected")).toBool();
    int warned = 0;
    for (const TestMessage &message : log.messages)
        warned += message.type == TestMessage::Type::Warning
                  && message.text.startsWith(QLatin1String(SuiteTexts::connectionError));
    if (refused == warned)
        return QString();
    return QStringLiteral("%1 failed connection attempts traced, %2 logged").arg(refused).arg(warned);
}

QString judgeNames(const QVector<QJsonObject> &trace)
{
    const QStringList functions = SelfTestCase::suiteFunctions()
                                  + QStringList{QStringLiteral("initTestCase"), QStringLiteral("cleanupTestCase")};
    for (const QJsonObject &entry : trace) {
        const QString function = field(entry, "function");
        const QString row = field(entry, "row");
        if (!functions.contains(function) || (!row.isEmpty() && !SelfTestCase::suiteRows(function).contains(row)))
            return QStringLiteral("a trace entry of no function and row of the suite: %1(%2)").arg(function, row);
    }
    return QString();
}

} // namespace

QString TraceComparison::judge(const SuiteRun &plain, const SuiteRun &traced)
{
    const QVector<QJsonObject> trace = traced.trace();
    if (trace.isEmpty())
        return QStringLiteral("nothing traced");
    const QStringList checks = {
        firstDifference(consoleLines(plain), consoleLines(traced), QStringLiteral("the console outputs")),
        firstDifference(receivedRequests(plain, true), receivedRequests(traced, true),
                        QStringLiteral("the requests received")),
        firstDifference(receivedRequests(traced, false), tracedRequests(trace),
                        QStringLiteral("the requests received and traced")),
        judgeDaemonLives(trace),
        judgeConnections(trace, traced.log()),
        judgeNames(trace),
    };
    QStringList problems;
    for (const QString &problem : checks) {
        if (!problem.isEmpty())
            problems.append(problem);
    }
    return problems.join('\n');
}
