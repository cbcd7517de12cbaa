#include "hostilerequests.h"

#include "deliverymocksids.h"
#include "uuidtext.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QVector>

using namespace DeliveryMocksIds;

namespace {

const int HugeStringLength = 300 * 1024;

QByteArray nested(const QByteArray &open, const QByteArray &inner, const QByteArray &close, int depth)
{
    return open.repeated(depth) + inner + close.repeated(depth);
}

// Sets the value at path in a nest of maps and lists; "0" addresses the first list element.
QVariant replaced(const QVariant &container, const QStringList &path, const QVariant &value)
{
    if (path.isEmpty())
        return value;
    if (path.first() == QLatin1String("0")) {
        QVariantList list = container.toList();
        list[0] = replaced(list.at(0), path.mid(1), value);
        return list;
    }
    QVariantMap map = container.toMap();
    map.insert(path.first(), replaced(map.value(path.first()), path.mid(1), value));
    return map;
}

// The key a message about the parameter at path must name.
QString parameterName(const QStringList &path)
{
    for (int i = path.size() - 1; i >= 0; --i) {
        if (path.at(i) != QLatin1String("0"))
            return path.at(i);
    }
    return QStringLiteral("params");
}

} // namespace

HostileRequests::HostileRequests(const QUuid &gateId, const QUuid &scannerId, const QUuid &notificationId)
    : m_gateId(gateId)
    , m_scannerId(scannerId)
    , m_notificationId(notificationId)
{
}

QList<HostileRequests::Parameter> HostileRequests::parameters() const
{
    const QString addThing = QStringLiteral("Integrations.AddThing");
    const QString getStateValue = QStringLiteral("Integrations.GetStateValue");
    const QString executeAction = QStringLiteral("Integrations.ExecuteAction");
    const QString addDelivery = QStringLiteral("PlavoDelivery.AddDelivery");
    return {
        {addThing, {"thingClassId"}, "uuid"},
        {addThing, {"name"}, "string"},
        {"Integrations.RemoveThing", {"thingId"}, "uuid"},
        {getStateValue, {"thingId"}, "uuid"},
        {getStateValue, {"stateTypeId"}, "uuid"},
        {executeAction, {"thingId"}, "uuid"},
        {executeAction, {"actionTypeId"}, "uuid"},
        {executeAction, {"params"}, "object"},
        {addDelivery, {"delivery"}, "object"},
        {addDelivery, {"delivery", "name"}, "string"},
        {addDelivery, {"delivery", "trackingCode"}, "string"},
        {addDelivery, {"delivery", "gateId"}, "uuid"},
        {addDelivery, {"delivery", "scannerId"}, "uuid"},
        {addDelivery, {"delivery", "notificationIds"}, "list"},
        {addDelivery, {"delivery", "notificationIds", "0"}, "uuid"},
        {addDelivery, {"delivery", "openDuration"}, "number"},
        {addDelivery, {"delivery", "calendarItems"}, "list"},
        {addDelivery, {"delivery", "calendarItems", "0"}, "object"},
        {addDelivery, {"delivery", "calendarItems", "0", "datetime"}, "number"},
        {addDelivery, {"delivery", "calendarItems", "0", "duration"}, "number"},
        {"PlavoDelivery.GetDeliveries", {"deliveryId"}, "uuid"},
        {"PlavoDelivery.RemoveDelivery", {"deliveryId"}, "uuid"},
    };
}

// Requests that would be accepted as they are, but change nothing: the ids
// of things and deliveries that do not exist, a thing class whose port is taken.
QVariantMap HostileRequests::validParams(const QString &method) const
{
    const QString nobody = Korvu::idText(QUuid::createUuid());
    if (method == QLatin1String("Integrations.AddThing"))
        return {{"thingClassId", Korvu::idText(garageGateThingClassId)}, {"name", "Second gate"}};
    if (method == QLatin1String("Integrations.RemoveThing"))
        return {{"thingId", nobody}};
    if (method == QLatin1String("Integrations.GetStateValue"))
        return {{"thingId", Korvu::idText(m_gateId)}, {"stateTypeId", Korvu::idText(garageGateStateStateTypeId)}};
    if (method == QLatin1String("Integrations.ExecuteAction"))
        return {{"thingId", nobody},
                {"actionTypeId", Korvu::idText(garageGateOpenActionTypeId)},
                {"params", QVariantMap()}};
    if (method == QLatin1String("PlavoDelivery.AddDelivery")) {
        return {
            {"delivery", QVariantMap{
                             {"name", "Parcel"},
                             {"trackingCode", "4711"},
                             {"gateId", Korvu::idText(m_gateId)},
                             {"scannerId", Korvu::idText(m_scannerId)},
                             {"notificationIds", QVariantList{Korvu::idText(m_notificationId)}},
                             {"openDuration", 30},
                             {"calendarItems", QVariantList{QVariantMap{{"datetime", 1700000000}, {"duration", 60}}}},
                         }}};
    }
    if (method.endsWith(QLatin1String("Delivery")) || method.endsWith(QLatin1String("Deliveries")))
        return {{"deliveryId", nobody}};
    return {};
}

QList<QVariant> HostileRequests::wrongValuesFor(const QString &kind)
{
    const QList<QVariant> containers{QVariantList(), QVariantMap(), QVariantList{QVariantList{"x"}},
                                     QVariantMap{{"a", QVariantMap{{"b", 1}}}}};
    const QList<QVariant> scalars{
        QVariant::fromValue(nullptr), true, false, 0, -1, 1.5, 1e308, -1e308, 9007199254740993.0};
    if (kind == QLatin1String("uuid") || kind == QLatin1String("string"))
        return scalars + containers;
    if (kind == QLatin1String("number"))
        return QList<QVariant>{
                   QVariant::fromValue(nullptr), true, false, "1", "", -1, 1.5, 1e308, -1e308, 9007199254740993.0}
               + containers;
    if (kind == QLatin1String("list"))
        return QList<QVariant>{QVariant::fromValue(nullptr), true, false, 0, 1.5, "text", "", QVariantMap(),
                               QVariantMap{{"a", 1}}};
    return QList<QVariant>{QVariant::fromValue(nullptr), true, 0, 1e308, "text", QVariantList(),
                           QVariantList{QVariantMap()}};
}

HostileRequests::Request HostileRequests::request(const QString &method, const QVariantMap &params, Outcome outcome,
                                                  const QStringList &mentions) const
{
    const QJsonObject object{{"method", method}, {"params", QJsonObject::fromVariantMap(params)}};
    return {QJsonDocument(object).toJson(QJsonDocument::Compact), outcome, mentions};
}

HostileRequests::Request HostileRequests::substituted(const Parameter &parameter, const QVariant &value,
                                                      Outcome outcome) const
{
    const QVariantMap params = replaced(validParams(parameter.method), parameter.path, value).toMap();
    return request(parameter.method, params, outcome, {parameter.method, parameterName(parameter.path)});
}

QList<HostileRequests::Request> HostileRequests::wrongTypes() const
{
    QList<Request> requests;
    for (const Parameter &parameter : parameters()) {
        for (const QVariant &value : wrongValuesFor(parameter.kind))
            requests.append(substituted(parameter, value, Outcome::Error));
    }
    // "params" itself, for every method.
    const QStringList methods{"JSONRPC.Hello",
                              "Integrations.AddThing",
                              "Integrations.GetThings",
                              "Integrations.RemoveThing",
                              "Integrations.GetStateValue",
                              "Integrations.ExecuteAction",
                              "PlavoDelivery.Status",
                              "PlavoDelivery.AddDelivery",
                              "PlavoDelivery.GetDeliveries",
                              "PlavoDelivery.RemoveDelivery"};
    for (const QString &method : methods) {
        for (const char *params : {"null", "true", "0", "\"{}\"", "[]", "[{}]"}) {
            const QByteArray bytes = R"({"method":")" + method.toLatin1() + R"(","params":)" + params + "}";
            requests.append({bytes, Outcome::Error, {method, "params"}});
        }
    }
    return requests;
}

QList<HostileRequests::Request> HostileRequests::badUuids() const
{
    const QString uuid = Korvu::idText(m_gateId);
    const QStringList texts{
        "",
        "x",
        "{}",
        "}}{{",
        "not-a-uuid-but-it-has-36-characters",
        uuid + "0",
        "{" + uuid,
        uuid + "}",
        "{{" + uuid + "}}",
        QString(uuid).replace(0, 1, "g"),
        QString(uuid).remove('-'),
        " " + uuid,
        "00000000-0000-0000-0000-000000000000",
        uuid.toUpper().replace('-', '_'),
        QString(HugeStringLength, 'a'),
        QString::fromUtf8("ünïcödé-ünïcödé-ünïcödé-ünïcödé-ünï"),
    };
    QList<Request> requests;
    for (const Parameter &parameter : parameters()) {
        if (parameter.kind != QLatin1String("uuid"))
            continue;
        for (const QString &text : texts)
            requests.append(substituted(parameter, text, Outcome::Refused));
    }
    return requests;
}

QList<HostileRequests::Request> HostileRequests::unknownMethods() const
{
    const QStringList methods{
        "",
        ".",
        "..",
        "JSONRPC",
        "JSONRPC.",
        ".Hello",
        "JSONRPC.Hello.",
        "JSONRPC.Hello.World",
        "jsonrpc.hello",
        "JSONRPC.hello",
        "JSONRPC .Hello",
        " JSONRPC.Hello",
        "JSONRPC.Hello ",
        "JSONRPC.Hello\n",
        QStringLiteral("JSONRPC.Hello") + QChar(0),
        "PlavoDelivery.addDelivery",
        "PlavoDelivery.AddDeliveries",
        "PlavoDelivery.",
        "Plavo.Delivery.AddDelivery",
        "Integrations.thingToMap",
        "Integrations.~IntegrationsHandler",
        "Integrations.registerMethod",
        "QObject.deleteLater",
        "__proto__.constructor",
        "{}.{}",
        "\"}.{\"",
        QString::fromUtf8("Ünïcödé.Méthod"),
        QString::fromUtf8("😀.😀"),
        QString(HugeStringLength, 'A') + ".B",
        "A." + QString(HugeStringLength, 'B'),
    };
    QList<Request> requests;
    for (const QString &method : methods) {
        QStringList mentions{QStringLiteral("Unknown method")};
        if (method.size() < 100)
            mentions.append(method);
        requests.append(request(method, {}, Outcome::Error, mentions));
    }
    return requests;
}

QList<HostileRequests::Request> HostileRequests::oddEnvelopes() const
{
    const QByteArray hello = R"("method":"JSONRPC.Hello")";
    return {
        {"{}", Outcome::Error, {"method"}},
        {R"({"params":{}})", Outcome::Error, {"method"}},
        {R"({"method":null})", Outcome::Error, {"method"}},
        {R"({"method":5})", Outcome::Error, {"method"}},
        {R"({"method":true})", Outcome::Error, {"method"}},
        {R"({"method":[]})", Outcome::Error, {"method"}},
        {R"({"method":{}})", Outcome::Error, {"method"}},
        {R"({"method":["JSONRPC.Hello"]})", Outcome::Error, {"method"}},
        {R"({"METHOD":"JSONRPC.Hello"})", Outcome::Error, {"method"}},
        {"{" + hello + R"(,"extra":[1,2,{"id":3}]})", Outcome::Answered, {}},
        {R"({"id":null,)" + hello + "}", Outcome::Answered, {}},
        {R"({"id":1e308,)" + hello + "}", Outcome::Answered, {}},
        {R"({"id":-1e308,)" + hello + "}", Outcome::Answered, {}},
        {R"({"id":-0,)" + hello + "}", Outcome::Answered, {}},
        {R"({"id":123456789012345678901234567890,)" + hello + "}", Outcome::Answered, {}},
        {R"({"id":"}{\"}{",)" + hello + "}", Outcome::Answered, {}},
        {R"({"id":{"id":[{"id":{}}]},)" + hello + "}", Outcome::Answered, {}},
        {R"({"id":[],)" + hello + "}", Outcome::Answered, {}},
        {R"({"id":true,)" + hello + "}", Outcome::Answered, {}},
        {R"({"id":"\u0000\ud800",)" + hello + "}", Outcome::Answered, {}},
        {R"({"id":")" + QByteArray(HugeStringLength, 'i') + "\"," + hello + "}", Outcome::Answered, {}},
    };
}

QList<HostileRequests::Request> HostileRequests::extremeValues() const
{
    QVariantMap delivery = validParams("PlavoDelivery.AddDelivery").value("delivery").toMap();
    const auto addDelivery = [&](const QString &key, const QVariant &value) {
        QVariantMap changed = delivery;
        changed.insert(key, value);
        return QVariantMap{{"delivery", changed}};
    };
    const QString add = QStringLiteral("PlavoDelivery.AddDelivery");
    const QByteArray deepArray = nested("[", "", "]", 1000);
    const QByteArray deepObject = nested(R"({"a":)", "1", "}", 1000);
    const QVariantList tooManyItems = QVector<QVariant>(101, QVariantMap{{"datetime", 1700000000}, {"duration", 60}})
                                          .toList();
    const QVariantList tooManyIds = QVector<QVariant>(101, Korvu::idText(m_notificationId)).toList();
    return {
        request(add, addDelivery("name", QString(HugeStringLength, 'n')), Outcome::Error, {add, "name"}),
        request(add, addDelivery("trackingCode", QString(HugeStringLength, '7')), Outcome::Error,
                {add, "trackingCode"}),
        request(add, addDelivery("name", QString(QChar(0xd800))), Outcome::Error, {add, "name"}),
        request(add, addDelivery("trackingCode", QString(QChar(0xdc00)) + "4711"), Outcome::Error,
                {add, "trackingCode"}),
        request(add, addDelivery("openDuration", 86401), Outcome::Error, {add, "openDuration"}),
        request(add, addDelivery("openDuration", 0), Outcome::Error, {add, "openDuration"}),
        request(add, addDelivery("calendarItems", tooManyItems), Outcome::Error, {add, "calendarItems"}),
        request(add, addDelivery("notificationIds", tooManyIds), Outcome::Error, {add, "notificationIds"}),
        request(add, addDelivery("calendarItems", QVariantList{QVariantMap{{"datetime", 1700000000}}}), Outcome::Error,
                {add, "duration"}),
        request(add,
                addDelivery("calendarItems", QVariantList{QVariantMap{{"datetime", 4294967296.0}, {"duration", 1}}}),
                Outcome::Error, {add, "datetime"}),
        request(add, addDelivery("calendarItems", QVariantList{QVariantMap{{"datetime", 0}, {"duration", 0}}}),
                Outcome::Error, {add, "duration"}),
        request(add, addDelivery("name", "   \t  "), Outcome::Refused),
        request(add, addDelivery("trackingCode", ""), Outcome::Refused),
        request(add, addDelivery("notificationIds", QVariantList{Korvu::idText(m_gateId)}), Outcome::Refused),
        request(add, addDelivery("gateId", Korvu::idText(m_scannerId)), Outcome::Refused),
        request(add, addDelivery("scannerId", Korvu::idText(m_gateId)), Outcome::Refused),
        request(add, addDelivery("name", "}{}{"), Outcome::Answered),
        request(add, addDelivery("name", R"({"id":2,"method":"JSONRPC.Hello"})"), Outcome::Answered),
        request(add, addDelivery("trackingCode", "\\\"}]"), Outcome::Answered),
        request(add, addDelivery("name", "\\"), Outcome::Answered),
        request(add, addDelivery("name", QString::fromUtf8("😀 ünïcödé \u2028")), Outcome::Answered),
        request(add, addDelivery("name", QString(256, 'n')), Outcome::Answered),
        request(
            "Integrations.AddThing",
            {{"thingClassId", Korvu::idText(notificationDeviceThingClassId)}, {"name", QString(HugeStringLength, 't')}},
            Outcome::Refused),
        {R"({"method":"JSONRPC.Hello","params":{"deep":)" + deepArray + "}}", Outcome::Answered, {}},
        {R"({"method":"JSONRPC.Hello","params":{"deep":)" + deepObject + "}}", Outcome::Answered, {}},
        {R"({"method":"PlavoDelivery.AddDelivery","params":{"delivery":)" + deepObject + "}}", Outcome::Error, {add}},
        {R"({"method":"PlavoDelivery.GetDeliveries","params":{"deliveryId":)" + deepArray + "}}",
         Outcome::Error,
         {"deliveryId"}},
        {R"({"method":"JSONRPC.Hello","params":{"x":"}}}}]]]]{{{{","y":"\"}"}})", Outcome::Answered, {}},
        {R"({"method":"JSONRPC.Hello","params":{"n":1e308,"m":-1e308,"z":-0,"big":123456789012345678901234567890}})",
         Outcome::Answered,
         {}},
    };
}

QList<HostileRequests::Request> HostileRequests::all() const
{
    return wrongTypes() + badUuids() + unknownMethods() + oddEnvelopes() + extremeValues();
}

QList<QByteArray> HostileRequests::framingErrors()
{
    const QByteArray hello = R"({"id":1,"method":"JSONRPC.Hello")";
    const int twoMiB = 2 * 1024 * 1024;
    return {
        "hello",
        "}",
        "]",
        "[]",
        "42",
        "null",
        "\"{}\"",
        "[" + hello + "}]",
        "{]",
        R"({"a":})",
        hello + ",}",
        hello + R"(,"params":{"a"}})",
        R"({'id':1})",
        R"({"id":01})",
        R"({"id":1e400})",
        R"({"id":NaN})",
        R"({"id":1,"method":"JSONRPC.Hello",})",
        "{\"id\":\"\xff\"}",
        "{\"id\":\"\xc0\xaf\"}",
        "{\"id\":\"\xed\xa0\x80\"}",
        "{\"method\":\"JSONRPC.Hello\xf8\x88\x80\x80\x80\"}",
        R"({"id":1,"params":)" + nested("[", "", "]", 1100) + "}",
        QByteArray("{\0}", 3),
        // A repeated key: Qt's parser would lose the first value, so korvud refuses the object.
        hello + R"(,"method":"Nope.Nope"})",
        hello + R"(,"params":{"a":[1]},"\u0070arams":{}})",
        R"({"id":1,"method":"JSONRPC.Hello","params":{"p":")" + QByteArray(twoMiB, 'x') + "\"}}",
        "{" + QByteArray(twoMiB, '['),
        R"({"id":")" + QByteArray(twoMiB, '"'),
    };
}

QList<QByteArray> HostileRequests::randomGarbage(int count, quint32 seed)
{
    QRandomGenerator random(seed);
    const QByteArray cannotStart = " \t\r\n{";
    QList<QByteArray> garbage;
    for (int i = 0; i < count; ++i) {
        QByteArray bytes(1 + int(random.bounded(512)), Qt::Uninitialized);
        for (char &byte : bytes)
            byte = char(random.bounded(256));
        while (cannotStart.contains(bytes.at(0)))
            bytes[0] = char(random.bounded(256));
        garbage.append(bytes);
    }
    return garbage;
}

QByteArray HostileRequests::withId(const QByteArray &request, int id)
{
    if (QJsonDocument::fromJson(request).object().contains(QStringLiteral("id")))
        return request;
    return "{\"id\":" + QByteArray::number(id) + (request == "{}" ? "" : ",") + request.mid(1);
}
