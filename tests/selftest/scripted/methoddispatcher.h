#ifndef SCRIPTEDKORVUD_METHODDISPATCHER_H
#define SCRIPTEDKORVUD_METHODDISPATCHER_H

#include "methodresult.h"

#include <QJsonObject>
#include <QString>

class ScriptedDeliveryService;
class IdSource;
class Scenario;
class ScriptedThingManager;

// Runs one JSON-RPC method of the daemon contract.
class MethodDispatcher
{
public:
    MethodDispatcher(const Scenario &scenario, ScriptedThingManager *things, ScriptedDeliveryService *deliveries,
                     IdSource *ids);

    MethodResult call(const QString &method, const QJsonObject &params);

private:
    MethodResult hello() const;
    MethodResult addThing(const QJsonObject &params);
    MethodResult getThings() const;
    MethodResult removeThing(const QJsonObject &params);
    MethodResult getStateValue(const QJsonObject &params) const;

    const Scenario &m_scenario;
    ScriptedThingManager *m_things;
    ScriptedDeliveryService *m_deliveries;
    IdSource *m_ids;
};

#endif // SCRIPTEDKORVUD_METHODDISPATCHER_H
