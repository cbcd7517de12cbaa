#ifndef METHODDISPATCHER_H
#define METHODDISPATCHER_H

#include "methodresult.h"

#include <QJsonObject>
#include <QString>

class DeliveryService;
class IdSource;
class Scenario;
class ThingRegistry;

// Runs one JSON-RPC method of the daemon contract.
class MethodDispatcher
{
public:
    MethodDispatcher(const Scenario &scenario, ThingRegistry *things, DeliveryService *deliveries, IdSource *ids);

    MethodResult call(const QString &method, const QJsonObject &params);

private:
    MethodResult hello() const;
    MethodResult addThing(const QJsonObject &params);
    MethodResult getThings() const;
    MethodResult removeThing(const QJsonObject &params);
    MethodResult getStateValue(const QJsonObject &params) const;

    const Scenario &m_scenario;
    ThingRegistry *m_things;
    DeliveryService *m_deliveries;
    IdSource *m_ids;
};

#endif // METHODDISPATCHER_H
