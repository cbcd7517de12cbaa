#ifndef KORVUD_INTEGRATIONSHANDLER_H
#define KORVUD_INTEGRATIONSHANDLER_H

#include "jsonhandler.h"

class RequestParams;
class Thing;
class ThingRegistry;

// The "Integrations" namespace. Ids go out bare and lower-case and are
// accepted braced or bare in any case. Outcomes of the thing manager are
// reported as "thingError" with status success; status error is kept for
// missing or mistyped parameters and for storage failures.
//   AddThing {thingClassId, name}               -> {thingError, thingId}
//   GetThings {}                                -> {things: [{id, thingClassId, name, states: [{stateTypeId, value}]}]}
//   RemoveThing {thingId}                       -> {thingError}
//   GetStateValue {thingId, stateTypeId}        -> {thingError, value}
//   ExecuteAction {thingId, actionTypeId, params?} -> {thingError}
class IntegrationsHandler : public JsonHandler
{
    Q_OBJECT
public:
    explicit IntegrationsHandler(ThingRegistry *registry, QObject *parent = nullptr);

private:
    using Request = JsonReply (IntegrationsHandler::*)(RequestParams &request) const;
    void registerRequest(const QString &method, Request implementation);

    JsonReply addThing(RequestParams &request) const;
    JsonReply getThings(RequestParams &request) const;
    JsonReply removeThing(RequestParams &request) const;
    JsonReply getStateValue(RequestParams &request) const;
    JsonReply executeAction(RequestParams &request) const;

    static QVariantMap thingToMap(const Thing *thing);

    ThingRegistry *m_registry;
};

#endif // KORVUD_INTEGRATIONSHANDLER_H
