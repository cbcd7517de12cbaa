#include "methoddispatcher.h"

#include "idsource.h"
#include "requestparams.h"
#include "scenario.h"
#include "scripteddeliveryservice.h"
#include "scriptedthingmanager.h"
#include "thing.h"
#include "thingerror.h"
#include "uuidtext.h"

#include <QJsonArray>

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
    RequestParams request(QStringLiteral("Integrations.AddThing"), params.toVariantMap());
    QUuid classId;
    QString name;
    if (!request.readUuid(QStringLiteral("thingClassId"), &classId)
        || !request.readString(QStringLiteral("name"), &name))
        return MethodResult::error(request.errorMessage());
    const QString idText = m_ids->nextThingId();
    const Korvu::ThingError error = m_things->addThing(idText, Korvu::idText(classId), name);
    QJsonObject result{{"thingError", Korvu::thingErrorName(error)}};
    if (error == Korvu::ThingErrorNoError)
        result.insert("thingId", idText);
    return MethodResult::success(result);
}

MethodResult MethodDispatcher::getThings() const { return MethodResult::success({{"things", m_things->toJson()}}); }

MethodResult MethodDispatcher::removeThing(const QJsonObject &params)
{
    RequestParams request(QStringLiteral("Integrations.RemoveThing"), params.toVariantMap());
    QUuid thingId;
    if (!request.readUuid(QStringLiteral("thingId"), &thingId))
        return MethodResult::error(request.errorMessage());
    return MethodResult::success({{"thingError", Korvu::thingErrorName(m_things->removeThing(thingId))}});
}

MethodResult MethodDispatcher::getStateValue(const QJsonObject &params) const
{
    RequestParams request(QStringLiteral("Integrations.GetStateValue"), params.toVariantMap());
    QUuid thingId;
    QUuid stateTypeId;
    if (!request.readUuid(QStringLiteral("thingId"), &thingId)
        || !request.readUuid(QStringLiteral("stateTypeId"), &stateTypeId))
        return MethodResult::error(request.errorMessage());
    const MockThing *thing = m_things->findMockThing(thingId);
    if (!thing)
        return MethodResult::success({{"thingError", Korvu::thingErrorName(Korvu::ThingErrorThingNotFound)}});
    if (!thing->thing()->thingClass().hasStateType(stateTypeId))
        return MethodResult::success({{"thingError", Korvu::thingErrorName(Korvu::ThingErrorStateTypeNotFound)}});
    return MethodResult::success(
        {{"thingError", Korvu::thingErrorName(Korvu::ThingErrorNoError)}, {"value", thing->gateStateText()}});
}
