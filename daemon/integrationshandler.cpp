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

// A call that succeeded, with the one result it asked for.
JsonReply resultReply(const QString &name, const QVariant &value)
{
    QVariantMap result = errorParams(Korvu::ThingErrorNoError);
    result.insert(name, value);
    return JsonReply::success(result);
}

} // namespace

IntegrationsHandler::IntegrationsHandler(ThingRegistry *registry, QObject *parent)
    : JsonHandler(QStringLiteral("Integrations"), parent)
    , m_registry(registry)
{
    registerRequest(QStringLiteral("AddThing"), &IntegrationsHandler::addThing);
    registerRequest(QStringLiteral("GetThings"), &IntegrationsHandler::getThings);
    registerRequest(QStringLiteral("RemoveThing"), &IntegrationsHandler::removeThing);
    registerRequest(QStringLiteral("GetStateValue"), &IntegrationsHandler::getStateValue);
    registerRequest(QStringLiteral("ExecuteAction"), &IntegrationsHandler::executeAction);
}

// The parameters' error messages name the call as the client made it.
void IntegrationsHandler::registerRequest(const QString &method, Request implementation)
{
    registerMethod(method, [this, method, implementation](const QVariantMap &params) {
        RequestParams request(name() + QLatin1Char('.') + method, params);
        return (this->*implementation)(request);
    });
}

JsonReply IntegrationsHandler::addThing(RequestParams &request) const
{
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
    return resultReply(QStringLiteral("thingId"), Korvu::idText(thingId));
}

JsonReply IntegrationsHandler::getThings(RequestParams &) const
{
    QVariantList things;
    for (const Thing *thing : m_registry->things())
        things.append(thingToMap(thing));
    return JsonReply::success({{QStringLiteral("things"), things}});
}

JsonReply IntegrationsHandler::removeThing(RequestParams &request) const
{
    QUuid thingId;
    if (!request.readUuid(QStringLiteral("thingId"), &thingId))
        return JsonReply::error(request.errorMessage());

    QString errorMessage;
    const Korvu::ThingError error = m_registry->removeThing(thingId, &errorMessage);
    return thingErrorReply(error, errorMessage);
}

JsonReply IntegrationsHandler::getStateValue(RequestParams &request) const
{
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

    return resultReply(QStringLiteral("value"), thing->stateValue(stateTypeId));
}

JsonReply IntegrationsHandler::executeAction(RequestParams &request) const
{
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
