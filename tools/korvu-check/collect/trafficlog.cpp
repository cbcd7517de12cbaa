#include "collect/trafficlog.h"
#include "collect/mockidnames.h"
#include "results/testverdict.h"

#include <daemonport.h>
#include <tracefields.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>

namespace {

// Characters of a request, reply or body shown before it is cut.
const int shownCharacters = 300;
const int shownLines = 60;

qint64 number(const QJsonObject &entry, const char *name)
{
    return static_cast<qint64>(entry.value(QLatin1String(name)).toDouble());
}

QString cut(const QString &text, int fullBytes)
{
    if (text.size() <= shownCharacters)
        return text;
    return text.left(shownCharacters) + QStringLiteral("... (%1 bytes)").arg(fullBytes);
}

QString compactJson(const QJsonValue &value)
{
    if (value.isObject())
        return QString::fromUtf8(QJsonDocument(value.toObject()).toJson(QJsonDocument::Compact));
    if (value.isArray())
        return QString::fromUtf8(QJsonDocument(value.toArray()).toJson(QJsonDocument::Compact));
    return QString::fromUtf8(QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact)).mid(1).chopped(1);
}

// Bytes as a quoted string, with line breaks and control characters escaped.
QString quoted(const QByteArray &data)
{
    QString text = QStringLiteral("\"");
    for (const QChar c : QString::fromUtf8(data)) {
        if (c == QLatin1Char('\n'))
            text += QStringLiteral("\\n");
        else if (c == QLatin1Char('\r'))
            text += QStringLiteral("\\r");
        else if (c == QLatin1Char('"') || c == QLatin1Char('\\'))
            text += QLatin1Char('\\') + c;
        else if (c.unicode() < 0x20)
            text += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        else
            text += c;
    }
    return cut(text + QLatin1Char('"'), data.size());
}

QString describeReply(const QByteArray &reply, const QJsonObject &request, qint64 waitMs)
{
    if (reply.isEmpty())
        return QStringLiteral("no reply within %1 ms").arg(waitMs);
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(reply, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return QStringLiteral("not one JSON object: ") + quoted(reply);

    const QJsonObject object = document.object();
    QString text = object.value(QLatin1String("status")).toString(QStringLiteral("(no status)"));
    if (object.contains(QLatin1String("error")))
        text += QLatin1Char(' ') + compactJson(object.value(QLatin1String("error")));
    const QJsonValue params = object.value(QLatin1String("params"));
    text += params.isUndefined() ? QStringLiteral(" (no params)")
                                 : QLatin1Char(' ') + cut(compactJson(params), compactJson(params).toUtf8().size());
    const QJsonValue replyId = object.value(QLatin1String("id"));
    const QJsonValue requestId = request.value(QLatin1String("id"));
    if (replyId != requestId)
        text += QStringLiteral(" (reply id %1, request id %2)").arg(compactJson(replyId), compactJson(requestId));
    return text;
}

QString describeRpc(const QJsonObject &entry)
{
    const QByteArray requestBytes = TrafficLog::bytes(entry, TraceFields::request);
    const QJsonObject request = QJsonDocument::fromJson(requestBytes).object();
    const QString params = compactJson(request.value(QLatin1String("params")));
    return QStringLiteral("%1 %2 -> %3")
        .arg(request.value(QLatin1String("method")).toString(), cut(params, params.toUtf8().size()),
             describeReply(TrafficLog::bytes(entry, TraceFields::reply), request, number(entry, TraceFields::waitMs)));
}

QString describeHttp(const QJsonObject &entry)
{
    const QString request = QStringLiteral("%1 :%2%3")
                                .arg(TrafficLog::field(entry, TraceFields::method))
                                .arg(entry.value(QLatin1String(TraceFields::port)).toInt())
                                .arg(TrafficLog::field(entry, TraceFields::path));
    const QString body = quoted(TrafficLog::bytes(entry, TraceFields::body));
    if (!entry.value(QLatin1String(TraceFields::finished)).toBool()) {
        return QStringLiteral("%1 -> no reply within %2 ms, so far %3")
            .arg(request)
            .arg(number(entry, TraceFields::waitMs))
            .arg(body);
    }
    const int status = entry.value(QLatin1String(TraceFields::status)).toInt();
    const QString error = TrafficLog::field(entry, TraceFields::error);
    QString outcome = status > 0 ? QString::number(status) : QString();
    if (error != QLatin1String("NoError"))
        outcome += (outcome.isEmpty() ? QString() : QStringLiteral(" ")) + error;
    return QStringLiteral("%1 -> %2 %3").arg(request, outcome, body);
}

QString describeDaemon(const QJsonObject &entry, const QString &kind)
{
    const qint64 pid = number(entry, TraceFields::pid);
    if (kind == QLatin1String(TraceFields::daemonStartKind)) {
        QStringList command = {TrafficLog::field(entry, TraceFields::program)};
        const QJsonArray arguments = entry.value(QLatin1String(TraceFields::arguments)).toArray();
        for (const QJsonValue &argument : arguments)
            command.append(argument.toString());
        const QString outcome = entry.value(QLatin1String(TraceFields::started)).toBool()
                                    ? QStringLiteral("pid %1").arg(pid)
                                    : QStringLiteral("not started");
        return QStringLiteral("start %1 -> %2").arg(command.join(QLatin1Char(' ')), outcome);
    }
    if (kind == QLatin1String(TraceFields::daemonKillKind))
        return QStringLiteral("kill pid %1").arg(pid);
    const int exitCode = entry.value(QLatin1String(TraceFields::exitCode)).toInt();
    if (TrafficLog::field(entry, TraceFields::exitStatus) == QLatin1String(TraceFields::crashExit))
        return QStringLiteral("pid %1 ended by signal %2").arg(pid).arg(exitCode);
    return QStringLiteral("pid %1 exited with status %2").arg(pid).arg(exitCode);
}

} // namespace

QString TrafficLog::describe(const QJsonObject &entry)
{
    const QString kind = TrafficLog::field(entry, TraceFields::kind);
    if (kind == QLatin1String(TraceFields::rpcKind))
        return describeRpc(entry);
    if (kind == QLatin1String(TraceFields::httpKind))
        return describeHttp(entry);
    if (kind == QLatin1String(TraceFields::connectKind)) {
        return entry.value(QLatin1String(TraceFields::connected)).toBool()
                   ? QStringLiteral("connect 127.0.0.1:%1 -> connected").arg(daemonPort)
                   : QStringLiteral("connect 127.0.0.1:%1 -> %2")
                         .arg(QString::number(daemonPort), TrafficLog::field(entry, TraceFields::error));
    }
    return describeDaemon(entry, kind);
}

TrafficLog TrafficLog::fromFile(const QString &fileName)
{
    TrafficLog log;
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return log;
    while (!file.atEnd()) {
        const QJsonObject entry = QJsonDocument::fromJson(file.readLine()).object();
        if (entry.isEmpty())
            continue;
        log.m_entries.append(entry);
        log.m_entriesByTest[TestVerdict::testName(TrafficLog::field(entry, TraceFields::function),
                                                  TrafficLog::field(entry, TraceFields::row))]
            .append(entry);
    }
    return log;
}

QVector<QJsonObject> TrafficLog::entries() const { return m_entries; }

QByteArray TrafficLog::bytes(const QJsonObject &entry, const char *name)
{
    const QString base64Name = QLatin1String(name) + QLatin1String(TraceFields::base64Suffix);
    if (entry.contains(base64Name))
        return QByteArray::fromBase64(entry.value(base64Name).toString().toLatin1());
    return TrafficLog::field(entry, name).toUtf8();
}

QVector<QJsonObject> TrafficLog::exchangesOf(const QString &testName) const { return m_entriesByTest.value(testName); }

QStringList TrafficLog::lines(const QVector<QJsonObject> &entries)
{
    if (entries.isEmpty())
        return {};

    const qint64 start = number(entries.constFirst(), TraceFields::time);
    QStringList lines;
    QString previous;
    bool previousShown = false;
    int repeats = 0;
    int cleanup = 0;
    int left = 0;
    auto noteRepeats = [&lines, &repeats] {
        if (repeats > 0)
            lines.last() += QStringLiteral("  (x%1)").arg(repeats + 1);
        repeats = 0;
    };
    for (const QJsonObject &entry : entries) {
        const QString phase = TrafficLog::field(entry, TraceFields::phase);
        if (phase == QLatin1String(TraceFields::cleanupPhase)) {
            ++cleanup;
            continue;
        }
        QString text = describe(entry);
        if (phase == QLatin1String(TraceFields::initPhase))
            text.prepend(QStringLiteral("init: "));
        if (text == previous) {
            // A repeat of an exchange left out is left out too.
            if (previousShown)
                ++repeats;
            else
                ++left;
            continue;
        }
        noteRepeats();
        previous = text;
        previousShown = lines.size() < shownLines;
        if (!previousShown) {
            ++left;
            continue;
        }
        const double seconds = (number(entry, TraceFields::time) - start) / 1000.0;
        lines.append(QStringLiteral("  %1  %2%3").arg(seconds, 6, 'f', 3).arg(text, MockIdNames::annotation(text)));
    }
    noteRepeats();
    if (left > 0)
        lines.append(QStringLiteral("  (%1 more exchanges in the trace)").arg(left));
    if (cleanup > 0)
        lines.append(QStringLiteral("  (clean-up afterwards: %1 exchanges)").arg(cleanup));
    lines.prepend(QStringLiteral("exchanges (seconds from the first):"));
    return lines;
}

QString TrafficLog::field(const QJsonObject &entry, const char *name)
{
    return entry.value(QLatin1String(name)).toString();
}
