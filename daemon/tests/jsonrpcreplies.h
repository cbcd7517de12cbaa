#ifndef KORVUD_TESTS_JSONRPCREPLIES_H
#define KORVUD_TESTS_JSONRPCREPLIES_H

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

// Reading korvud's JSON-RPC replies in the daemon's tests, whether they came
// through the router in process or over a real connection.
namespace JsonRpcReplies {

inline QJsonObject params(const QJsonObject &reply) { return reply.value(QStringLiteral("params")).toObject(); }

inline QString thingError(const QJsonObject &reply)
{
    return params(reply).value(QStringLiteral("thingError")).toString();
}

// "<id> <name>" per thing of an Integrations.GetThings reply, in the order listed.
inline QStringList listedThings(const QJsonObject &getThingsReply)
{
    QStringList things;
    const QJsonArray list = params(getThingsReply).value(QStringLiteral("things")).toArray();
    for (const QJsonValue &thing : list)
        things.append(thing[QStringLiteral("id")].toString() + QLatin1Char(' ')
                      + thing[QStringLiteral("name")].toString());
    return things;
}

// Compact JSON text, for comparing objects and for failure messages.
inline QString compact(const QJsonObject &object)
{
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

// Any JSON value from its text, scalars included.
inline QJsonValue valueOf(const QByteArray &text) { return QJsonDocument::fromJson("[" + text + "]").array().at(0); }

} // namespace JsonRpcReplies

#endif // KORVUD_TESTS_JSONRPCREPLIES_H
