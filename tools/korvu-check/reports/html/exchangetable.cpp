#include "reports/html/exchangetable.h"
#include "collect/mockidnames.h"
#include "collect/trafficlog.h"
#include "reports/html/htmlwriter.h"

#include <tracefields.h>

#include <QJsonDocument>

namespace {

// The reply's status and any error it names, or the HTTP status.
QString outcome(const QJsonObject &entry)
{
    const QString kind = TrafficLog::field(entry, TraceFields::kind);
    if (kind == QLatin1String(TraceFields::httpKind)) {
        const int status = entry.value(QLatin1String(TraceFields::status)).toInt();
        const QString error = TrafficLog::field(entry, TraceFields::error);
        if (!entry.value(QLatin1String(TraceFields::finished)).toBool())
            return QStringLiteral("no reply");
        return error == QLatin1String("NoError") ? QString::number(status)
                                                 : QStringLiteral("%1 %2").arg(status).arg(error);
    }
    if (kind != QLatin1String(TraceFields::rpcKind))
        return QString();
    const QByteArray reply = TrafficLog::bytes(entry, TraceFields::reply);
    if (reply.isEmpty())
        return QStringLiteral("no reply");
    const QJsonObject object = QJsonDocument::fromJson(reply).object();
    if (object.isEmpty())
        return QStringLiteral("not JSON");
    QStringList parts = {object.value(QLatin1String("status")).toString(QStringLiteral("(no status)"))};
    const QJsonObject params = object.value(QLatin1String("params")).toObject();
    for (auto it = params.constBegin(); it != params.constEnd(); ++it) {
        if (it.key().endsWith(QLatin1String("Error")) || it.key() == QLatin1String("value"))
            parts.append(it.value().toVariant().toString());
    }
    return parts.join(QLatin1Char(' '));
}

// What the exchange carried back: the reply or the body, whole.
QByteArray carried(const QJsonObject &entry)
{
    const QString kind = TrafficLog::field(entry, TraceFields::kind);
    if (kind == QLatin1String(TraceFields::rpcKind))
        return TrafficLog::bytes(entry, TraceFields::reply);
    if (kind == QLatin1String(TraceFields::httpKind))
        return TrafficLog::bytes(entry, TraceFields::body);
    return QByteArray();
}

} // namespace

void ExchangeTable::write(HtmlWriter &html, const QVector<QJsonObject> &exchanges)
{
    if (exchanges.isEmpty())
        return;
    const double start = exchanges.constFirst().value(QLatin1String(TraceFields::time)).toDouble();
    html.open(QStringLiteral("table"), {{QStringLiteral("class"), QStringLiteral("exchanges")}});
    html.open(QStringLiteral("thead"));
    html.open(QStringLiteral("tr"));
    for (const QString &heading : {QStringLiteral("s"), QStringLiteral("phase"), QStringLiteral("exchange"),
                                   QStringLiteral("outcome"), QStringLiteral("ids"), QStringLiteral("reply or body")})
        html.element(QStringLiteral("th"), heading);
    html.close();
    html.close();
    html.open(QStringLiteral("tbody"));
    for (const QJsonObject &entry : exchanges) {
        const QString phase = TrafficLog::field(entry, TraceFields::phase);
        const QString described = TrafficLog::describe(entry);
        html.open(QStringLiteral("tr"), {{QStringLiteral("class"), QStringLiteral("phase-") + phase}});
        html.element(
            QStringLiteral("td"),
            QString::number((entry.value(QLatin1String(TraceFields::time)).toDouble() - start) / 1000.0, 'f', 3));
        html.element(QStringLiteral("td"), phase);
        html.element(QStringLiteral("td"), described);
        html.element(QStringLiteral("td"), outcome(entry));
        html.element(QStringLiteral("td"), MockIdNames::namesIn(described).join(QStringLiteral(", ")));
        html.open(QStringLiteral("td"));
        const QByteArray body = carried(entry);
        if (!body.isEmpty()) {
            html.open(QStringLiteral("details"));
            html.element(QStringLiteral("summary"), QStringLiteral("%1 bytes").arg(body.size()));
            const QString text = QString::fromUtf8(body.left(bodyLimit));
            html.element(QStringLiteral("pre"), text);
            if (body.size() > bodyLimit) {
                html.element(QStringLiteral("p"),
                             QStringLiteral("cut: the first %1 of %2 bytes shown").arg(bodyLimit).arg(body.size()),
                             {{QStringLiteral("class"), QStringLiteral("cut")}});
            }
            html.close();
        }
        html.close();
        html.close();
    }
    html.close();
    html.close();
}
