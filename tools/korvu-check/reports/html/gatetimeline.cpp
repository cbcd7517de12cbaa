#include "reports/html/gatetimeline.h"
#include "collect/trafficlog.h"

#include <deliverymocksids.h>
#include <tracefields.h>

#include <QJsonDocument>
#include <QUrlQuery>
#include <QUuid>

namespace {

const QString historyPath = QStringLiteral("/actionhistory");
const QString scanPath = QStringLiteral("/generateevent");

bool isTestPhase(const QJsonObject &entry)
{
    return TrafficLog::field(entry, TraceFields::phase) == QLatin1String(TraceFields::testPhase);
}

QJsonObject rpcRequest(const QJsonObject &entry)
{
    return QJsonDocument::fromJson(TrafficLog::bytes(entry, TraceFields::request)).object();
}

QJsonObject rpcReply(const QJsonObject &entry)
{
    return QJsonDocument::fromJson(TrafficLog::bytes(entry, TraceFields::reply)).object();
}

bool isKind(const QJsonObject &entry, const char *kind)
{
    return TrafficLog::field(entry, TraceFields::kind) == QLatin1String(kind);
}

bool isHttp(const QJsonObject &entry, int port, const QString &path)
{
    return isKind(entry, TraceFields::httpKind) && entry.value(QLatin1String(TraceFields::port)).toInt() == port
           && TrafficLog::field(entry, TraceFields::path).section(QLatin1Char('?'), 0, 0) == path;
}

bool isGatePoll(const QJsonObject &entry)
{
    if (!isKind(entry, TraceFields::rpcKind))
        return false;
    const QJsonObject request = rpcRequest(entry);
    return request.value(QLatin1String("method")).toString() == QLatin1String("Integrations.GetStateValue")
           && QUuid(request.value(QLatin1String("params")).toObject().value(QLatin1String("stateTypeId")).toString())
                  == DeliveryMocksIds::garageGateStateStateTypeId;
}

// The names of the actions an action history lists, "nothing" for none.
QString listedActions(const QJsonObject &entry)
{
    QStringList names;
    const QList<QByteArray> lines = TrafficLog::bytes(entry, TraceFields::body).trimmed().split('\n');
    for (const QByteArray &line : lines) {
        if (line.trimmed().isEmpty())
            continue;
        const char *name = DeliveryMocksIds::nameOf(QUuid(QString::fromUtf8(line.trimmed())));
        names.append(name ? QString::fromLatin1(name) : QStringLiteral("?"));
    }
    if (!entry.value(QLatin1String(TraceFields::finished)).toBool()
        || entry.value(QLatin1String(TraceFields::status)).toInt() != 200)
        return QStringLiteral("no history");
    return names.isEmpty() ? QStringLiteral("nothing") : names.join(QStringLiteral(", "));
}

QString tenths(double value) { return QString::number(value, 'f', 1); }

} // namespace

bool GateTimeline::applies(const QVector<QJsonObject> &exchanges)
{
    for (const QJsonObject &entry : exchanges) {
        if (isTestPhase(entry)
            && (isHttp(entry, DeliveryMocksIds::parcelScannerPort, scanPath) || isGatePoll(entry)
                || isKind(entry, TraceFields::daemonKillKind)))
            return true;
    }
    return false;
}

namespace {

QString times(int count) { return count == 1 ? QStringLiteral("once") : QStringLiteral("%1 times").arg(count); }

// What the daemon's marks show, from the same kills and starts.
QStringList daemonSentence(int kills, int starts)
{
    if (kills > 0 && kills == starts)
        return {QStringLiteral("the daemon was killed and started again ") + times(kills)};
    QStringList parts;
    if (kills > 0)
        parts.append(QStringLiteral("killed ") + times(kills));
    if (starts > 0)
        parts.append(QStringLiteral("started ") + times(starts));
    if (parts.isEmpty())
        return {};
    return {QStringLiteral("the daemon was ") + parts.join(QStringLiteral(" and "))};
}

// What the marks tell beside themselves: the window, and the sentences of
// the scanner, the notification and the daemon.
struct Tally
{
    double firstScan = -1;
    double openDuration = -1;
    int kills = 0;
    int starts = 0;
    QStringList scanner;
    QStringList notification;
};

using Lane = GateTimeline::Lane;
using Kind = GateTimeline::Kind;

// The exchanges with the mock devices; false for any other.
bool readDeviceMark(const QJsonObject &entry, GateTimeline::Mark *mark, Tally *tally)
{
    if (isHttp(entry, DeliveryMocksIds::parcelScannerPort, scanPath)) {
        mark->lane = Lane::Scanner;
        mark->kind = Kind::Scan;
        const QUrlQuery query(TrafficLog::field(entry, TraceFields::path).section(QLatin1Char('?'), 1));
        mark->label = QStringLiteral("scan ") + query.queryItemValue(QStringLiteral("content"), QUrl::FullyDecoded);
        if (tally->firstScan < 0)
            tally->firstScan = mark->seconds;
    } else if (isHttp(entry, DeliveryMocksIds::parcelScannerPort, historyPath)) {
        mark->lane = Lane::Scanner;
        mark->kind = Kind::HistoryRead;
        mark->label = listedActions(entry);
        if (mark->label.contains(QLatin1String("accept")))
            tally->scanner.append(QStringLiteral("the scan was accepted"));
        else if (mark->label.contains(QLatin1String("refuse")))
            tally->scanner.append(QStringLiteral("the scan was refused"));
        else
            tally->scanner.append(QStringLiteral("the scanner listed %1 after the scan").arg(mark->label));
    } else if (isHttp(entry, DeliveryMocksIds::garageGatePort, historyPath)) {
        mark->lane = Lane::Gate;
        mark->kind = Kind::HistoryRead;
        mark->label = listedActions(entry);
    } else if (isHttp(entry, DeliveryMocksIds::notificationDevicePort, historyPath)) {
        mark->lane = Lane::Notification;
        mark->label = listedActions(entry);
        const bool notified = mark->label.contains(QLatin1String("notify"));
        mark->kind = notified ? Kind::Notification : Kind::HistoryRead;
        tally->notification.append(notified ? QStringLiteral("the notification was sent")
                                            : QStringLiteral("no notification was sent"));
    } else {
        return false;
    }
    return true;
}

// The daemon's calls, kills and starts; false for any other exchange.
bool readDaemonMark(const QJsonObject &entry, GateTimeline::Mark *mark, Tally *tally)
{
    if (isGatePoll(entry)) {
        mark->lane = Lane::Gate;
        mark->kind = Kind::GatePoll;
        const QJsonValue value =
            rpcReply(entry).value(QLatin1String("params")).toObject().value(QLatin1String("value"));
        mark->label = value.isString() ? value.toString() : QStringLiteral("no state");
    } else if (isKind(entry, TraceFields::daemonKillKind) || isKind(entry, TraceFields::daemonStartKind)) {
        mark->lane = Lane::Daemon;
        mark->kind = Kind::Restart;
        const bool kill = isKind(entry, TraceFields::daemonKillKind);
        mark->label = kill ? QStringLiteral("kill") : QStringLiteral("start");
        (kill ? tally->kills : tally->starts) += 1;
    } else if (isKind(entry, TraceFields::rpcKind)) {
        const QJsonObject request = rpcRequest(entry);
        const QString method = request.value(QLatin1String("method")).toString();
        mark->label = method.section(QLatin1Char('.'), -1);
        if (method == QLatin1String("PlavoDelivery.AddDelivery")) {
            const QJsonValue duration = request.value(QLatin1String("params"))
                                            .toObject()
                                            .value(QLatin1String("delivery"))
                                            .toObject()
                                            .value(QLatin1String("openDuration"));
            if (duration.isDouble())
                tally->openDuration = duration.toDouble();
        }
    } else {
        return false;
    }
    return true;
}

} // namespace

GateTimeline GateTimeline::fromExchanges(const QVector<QJsonObject> &exchanges, bool failed)
{
    GateTimeline timeline;
    Tally tally;
    qint64 start = -1;
    for (const QJsonObject &entry : exchanges) {
        if (!isTestPhase(entry))
            continue;
        const qint64 time = static_cast<qint64>(entry.value(QLatin1String(TraceFields::time)).toDouble());
        if (start < 0)
            start = time;
        Mark mark;
        mark.seconds = (time - start) / 1000.0;
        mark.detail = TrafficLog::describe(entry);
        timeline.m_seconds = qMax(timeline.m_seconds, mark.seconds);
        if (readDeviceMark(entry, &mark, &tally) || readDaemonMark(entry, &mark, &tally))
            timeline.m_marks.append(mark);
    }
    if (failed && !timeline.m_marks.isEmpty())
        timeline.m_failedAt = timeline.m_marks.constLast().seconds;
    timeline.m_sentences = tally.scanner;
    if (tally.firstScan >= 0 && tally.openDuration >= 0) {
        timeline.m_windowStart = tally.firstScan;
        timeline.m_windowEnd = timeline.m_windowStart + tally.openDuration;
        timeline.m_seconds = qMax(timeline.m_seconds, timeline.m_windowEnd);
        timeline.describeGate(tally.openDuration);
    }
    timeline.m_sentences += tally.notification;
    timeline.m_sentences += daemonSentence(tally.kills, tally.starts);
    timeline.m_sentences.removeDuplicates();
    return timeline;
}

// Polls come a second apart, so the gate's moments are told as the polls saw them.
void GateTimeline::describeGate(double openDuration)
{
    const Mark *openSeen = nullptr;
    const Mark *lastOpen = nullptr;
    const Mark *closedSeen = nullptr;
    int polls = 0;
    for (const Mark &mark : qAsConst(m_marks)) {
        if (mark.kind != Kind::GatePoll)
            continue;
        ++polls;
        if (mark.label == QLatin1String("open")) {
            if (!openSeen)
                openSeen = &mark;
            lastOpen = &mark;
        } else if (openSeen && !closedSeen && mark.label == QLatin1String("closed")) {
            closedSeen = &mark;
        }
    }
    if (polls == 0)
        return;
    const QString expected = QStringLiteral("expected to close after %1 s").arg(openDuration);
    if (!openSeen) {
        m_sentences.append(polls == 1 ? QStringLiteral("the gate never read open in its one poll")
                                      : QStringLiteral("the gate never read open in %1 polls").arg(polls));
    } else if (!closedSeen) {
        m_sentences.append(QStringLiteral("the gate was still open %1 s after the scan, %2")
                               .arg(tenths(lastOpen->seconds - m_windowStart), expected));
    } else {
        m_sentences.append(
            QStringLiteral("the gate read closed %1 s after the scan (last read open at %2 s), %3")
                .arg(tenths(closedSeen->seconds - m_windowStart), tenths(lastOpen->seconds - m_windowStart), expected));
    }
}

QVector<GateTimeline::Mark> GateTimeline::marks() const { return m_marks; }

double GateTimeline::seconds() const { return m_seconds; }

double GateTimeline::windowStart() const { return m_windowStart; }

double GateTimeline::windowEnd() const { return m_windowEnd; }

bool GateTimeline::hasWindow() const { return m_windowStart >= 0; }

double GateTimeline::failedAt() const { return m_failedAt; }

QStringList GateTimeline::sentences() const { return m_sentences; }
