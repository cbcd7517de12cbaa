#ifndef SCRIPTEDKORVUD_SCRIPTEDDELIVERYSERVICE_H
#define SCRIPTEDKORVUD_SCRIPTEDDELIVERYSERVICE_H

#include "delivery.h"
#include "methodresult.h"

#include <QJsonArray>
#include <QList>
#include <QObject>
#include <QSet>
#include <QUuid>

class IdSource;
class MockThing;
class Scenario;
class ScriptedThingManager;

// The PlavoDelivery methods and the scan flow, on in-memory records. What a
// correct service does comes from PlavoDelivery's own classes: how a record
// is read and checked, which error it gets, how it is listed, whether a code
// matches and whether the calendar allows a scan. Only the scenario's faults
// are this class's own.
class ScriptedDeliveryService : public QObject
{
    Q_OBJECT
public:
    ScriptedDeliveryService(const Scenario &scenario, ScriptedThingManager *things, IdSource *ids,
                            QObject *parent = nullptr);

    MethodResult status() const;
    MethodResult addDelivery(const QJsonObject &params);
    MethodResult getDeliveries(const QJsonObject &params) const;
    MethodResult removeDelivery(const QJsonObject &params);

    QString lastAddedId() const;

    // Records are taken as they stand, also those of a scenario's initial state.
    void restore(const QJsonArray &records);
    // What is saved: the records, plus removed ones when removals are not kept.
    QJsonArray toJson() const;

signals:
    void changed();

private:
    void handleScan(MockThing *scanner, const QString &code);
    bool codesMatch(const QString &registered, const QString &scanned) const;
    void grant(const Delivery &delivery, MockThing *scanner);
    void execute(const QUuid &thingId, const QUuid &actionTypeId);
    void closeGate(const QUuid &deliveryId, qint64 scanMSecs);
    void markDelivered(const QUuid &deliveryId, qint64 scanMSecs);
    int indexOf(const QUuid &id) const;

    const Scenario &m_scenario;
    ScriptedThingManager *m_things;
    IdSource *m_ids;
    QList<Delivery> m_deliveries;
    QJsonArray m_forgottenRemovals;
    QSet<QUuid> m_granted;
    QString m_lastAddedId;
};

#endif // SCRIPTEDKORVUD_SCRIPTEDDELIVERYSERVICE_H
