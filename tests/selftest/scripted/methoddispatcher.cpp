#include "methoddispatcher.h"

#include "deliverymocksids.h"
#include "idsource.h"
#include "scenario.h"
#include "scripteddeliveryservice.h"
#include "scriptedthingmanager.h"

#include <QJsonArray>

namespace {

QUuid uuidParameter(const QJsonObject &params, const char *key)
{
    const QJsonValue value = params.value(key);
    return value.isString() ? QUuid::fromString(value.toString()) : QUuid();
}

MethodResult missingParameter(const QString &method, const char *key)
{
    return MethodResult::error(QStringLiteral("%1: parameter \"%2\" is missing or not a UUID").arg(method, key));
}

} // namespace

MethodDispatcher::MethodDispatcher(const Scenario &scenario, ScriptedThingManager *things,
                                   ScriptedDeliveryService *deliveries, IdSource *ids)
    : m_scenario(scenario)
    , m_things(things)
    , m_deliveries(deliveries)
    , m_ids(ids)
{
}

MethodResult MethodDispatcher::call(const QString &method, const QJsonObject &params)
{
    if (method == "JSONRPC.Hello")
        return hello();
    if (m_scenario.requireAuthentication)
        return MethodResult::error(QStringLiteral("%1: authentication required").arg(method));
    if (method == "Integrations.AddThing")
        return addThing(params);
    if (method == "Integrations.GetThings")
        return getThings();
    if (method == "Integrations.RemoveThing")
        return removeThing(params);
    if (method == "Integrations.GetStateValue")
        return getStateValue(params);
    if (method == "PlavoDelivery.Status")
        return m_deliveries->status();
    if (method == "PlavoDelivery.AddDelivery")
        return m_deliveries->addDelivery(params);
    if (method == "PlavoDelivery.GetDeliveries")
        return m_deliveries->getDeliveries(params);
    if (method == "PlavoDelivery.RemoveDelivery")
        return m_deliveries->removeDelivery(params);
    return MethodResult::error(QStringLiteral("Unknown method \"%1\"").arg(method));
}

MethodResult MethodDispatcher::hello() const
{
    const QJsonArray experiences{QJsonObject{{"name", "PlavoDelivery"}, {"version", "0.2"}}};
    return MethodResult::success({
        {"server", "korvud"},
        {"version", "0.2"},
        {"authenticationRequired", m_scenario.requireAuthentication},
        {"experiences", experiences},
    });
}

MethodResult MethodDispatcher::addThing(const QJsonObject &params)
{
    const QUuid classId = uuidParameter(params, "thingClassId");
    if (classId.isNull())
        return missingParameter(QStringLiteral("Integrations.AddThing"), "thingClassId");
    if (!params.value("name").isString())
        return MethodResult::error(
            QStringLiteral("Integrations.AddThing: parameter \"name\" is missing or not a string"));
    const QString idText = m_ids->nextThingId();
    const Korvu::ThingError error = m_things->addThing(idText, classId.toString(QUuid::WithoutBraces),
                                                       params.value("name").toString());
    QJsonObject result{{"thingError", Korvu::thingErrorName(error)}};
    if (error == Korvu::ThingErrorNoError)
        result.insert("thingId", idText);
    return MethodResult::success(result);
}

MethodResult MethodDispatcher::getThings() const { return MethodResult::success({{"things", m_things->toJson()}}); }

MethodResult MethodDispatcher::removeThing(const QJsonObject &params)
{
    const QUuid thingId = uuidParameter(params, "thingId");
    if (thingId.isNull())
        return missingParameter(QStringLiteral("Integrations.RemoveThing"), "thingId");
    return MethodResult::success({{"thingError", Korvu::thingErrorName(m_things->removeThing(thingId))}});
}

MethodResult MethodDispatcher::getStateValue(const QJsonObject &params) const
{
    const QUuid thingId = uuidParameter(params, "thingId");
    const QUuid stateTypeId = uuidParameter(params, "stateTypeId");
    if (thingId.isNull())
        return missingParameter(QStringLiteral("Integrations.GetStateValue"), "thingId");
    if (stateTypeId.isNull())
        return missingParameter(QStringLiteral("Integrations.GetStateValue"), "stateTypeId");
    const MockThing *thing = m_things->findMockThing(thingId);
    if (!thing)
        return MethodResult::success({{"thingError", "ThingErrorThingNotFound"}});
    if (thing->kind() != MockThing::Kind::Gate || stateTypeId != DeliveryMocksIds::garageGateStateStateTypeId)
        return MethodResult::success({{"thingError", "ThingErrorStateTypeNotFound"}});
    return MethodResult::success({{"thingError", "ThingErrorNoError"}, {"value", thing->gateStateText()}});
}
