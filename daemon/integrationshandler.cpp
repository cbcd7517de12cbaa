#include "integrationshandler.h"

#include "requestparams.h"
#include "thingregistry.h"
#include "uuidtext.h"

namespace {

QVariantMap errorParams(Korvu::ThingError error)
{
    return {{QStringLiteral("thingError"), Korvu::thingErrorName(error)}};
}

JsonReply thingErrorReply(Korvu::ThingError error, const QString &errorMessage)
{
    if (errorMessage.isEmpty())
        return JsonReply::success(errorParams(error));
    return JsonReply::error(errorMessage, errorParams(error));
}

} // namespace

IntegrationsHandler::IntegrationsHandler(ThingRegistry *registry, QObject *parent)
    : JsonHandler(QStringLiteral("Integrations"), parent)
    , m_registry(registry)
{
    registerMethod(QStringLiteral("AddThing"), [this](const QVariantMap &params) { return addThing(params); });
    registerMethod(QStringLiteral("GetThings"), [this](const QVariantMap &params) { return getThings(params); });
    registerMethod(QStringLiteral("RemoveThing"), [this](const QVariantMap &params) { return removeThing(params); });
    registerMethod(QStringLiteral("GetStateValue"),
                   [this](const QVariantMap &params) { return getStateValue(params); });
    registerMethod(QStringLiteral("ExecuteAction"),
                   [this](const QVariantMap &params) { return executeAction(params); });
}

JsonReply IntegrationsHandler::addThing(const QVariantMap &params) const
{
    RequestParams request(QStringLiteral("Integrations.AddThing"), params);
    QUuid thingClassId;
    QString name;
    if (!request.readUuid(QStringLiteral("thingClassId"), &thingClassId)
        || !request.readString(QStringLiteral("name"), &name))
        return JsonReply::error(request.errorMessage());

    QUuid thingId;
    QString errorMessage;
    const Korvu::ThingError error = m_registry->addThing(thingClassId, name, &thingId, &errorMessage);
    if (error != Korvu::ThingErrorNoError)
        return thingErrorReply(error, errorMessage);
    QVariantMap result = errorParams(error);
    result.insert(QStringLiteral("thingId"), Korvu::idText(thingId));
    return JsonReply::success(result);
}

JsonReply IntegrationsHandler::getThings(const QVariantMap &params) const
{
    Q_UNUSED(params)
    QVariantList things;
    for (const Thing *thing : m_registry->things())
        things.append(thingToMap(thing));
    return JsonReply::success({{QStringLiteral("things"), things}});
}

JsonReply IntegrationsHandler::removeThing(const QVariantMap &params) const
{
    RequestParams request(QStringLiteral("Integrations.RemoveThing"), params);
    QUuid thingId;
    if (!request.readUuid(QStringLiteral("thingId"), &thingId))
        return JsonReply::error(request.errorMessage());

    QString errorMessage;
    const Korvu::ThingError error = m_registry->removeThing(thingId, &errorMessage);
    return thingErrorReply(error, errorMessage);
}

JsonReply IntegrationsHandler::getStateValue(const QVariantMap &params) const
{
    RequestParams request(QStringLiteral("Integrations.GetStateValue"), params);
    QUuid thingId;
    QUuid stateTypeId;
    if (!request.readUuid(QStringLiteral("thingId"), &thingId)
        || !request.readUuid(QStringLiteral("stateTypeId"), &stateTypeId))
        return JsonReply::error(request.errorMessage());

    const Thing *thing = m_registry->findThing(thingId);
    if (!thing)
        return JsonReply::success(errorParams(Korvu::ThingErrorThingNotFound));
    if (!thing->thingClass().hasStateType(stateTypeId))
        return JsonReply::success(errorParams(Korvu::ThingErrorStateTypeNotFound));

    QVariantMap result = errorParams(Korvu::ThingErrorNoError);
    result.insert(QStringLiteral("value"), thing->stateValue(stateTypeId));
    return JsonReply::success(result);
}

JsonReply IntegrationsHandler::executeAction(const QVariantMap &params) const
{
    RequestParams request(QStringLiteral("Integrations.ExecuteAction"), params);
    Action action;
    if (!request.readUuid(QStringLiteral("thingId"), &action.thingId)
        || !request.readUuid(QStringLiteral("actionTypeId"), &action.actionTypeId)
        || !request.readOptionalMap(QStringLiteral("params"), &action.params))
        return JsonReply::error(request.errorMessage());

    return JsonReply::success(errorParams(m_registry->executeAction(action)));
}

QVariantMap IntegrationsHandler::thingToMap(const Thing *thing)
{
    QVariantList states;
    for (const StateType &stateType : thing->thingClass().stateTypes()) {
        states.append(QVariantMap{
            {QStringLiteral("stateTypeId"), Korvu::idText(stateType.id)},
            {QStringLiteral("value"), thing->stateValue(stateType.id)},
        });
    }
    return {
        {QStringLiteral("id"), Korvu::idText(thing->id())},
        {QStringLiteral("thingClassId"), Korvu::idText(thing->thingClassId())},
        {QStringLiteral("name"), thing->name()},
        {QStringLiteral("states"), states},
    };
}
