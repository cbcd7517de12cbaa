#ifndef DELIVERYSERVICE_H
#define DELIVERYSERVICE_H

#include "methodresult.h"
#include "trackingcodematcher.h"

#include <QJsonArray>
#include <QList>
#include <QObject>
#include <QSet>
#include <QUuid>

class IdSource;
class MockThing;
class ThingRegistry;

// The PlavoDelivery methods and the scan flow, on in-memory records.
class DeliveryService : public QObject
{
    Q_OBJECT
public:
    DeliveryService(const Scenario &scenario, ThingRegistry *things, IdSource *ids, QObject *parent = nullptr);

    MethodResult status() const;
    MethodResult addDelivery(const QJsonObject &params);
    MethodResult getDeliveries(const QJsonObject &params) const;
    MethodResult removeDelivery(const QJsonObject &params);

    QString lastAddedId() const;

    void restore(const QJsonArray &records);
    // What is saved: the records, plus removed ones when removals are not kept.
    QJsonArray toJson() const;

signals:
    void changed();

private:
    struct Delivery
    {
        QUuid id;
        QJsonObject record;
    };

    void handleScan(MockThing *scanner, const QString &code);
    bool calendarAllows(const QJsonObject &record, qint64 nowSeconds) const;
    void grant(const Delivery &delivery, MockThing *scanner);
    void closeGate(const QUuid &deliveryId, qint64 scanMSecs);
    void markDelivered(const QUuid &deliveryId, qint64 scanMSecs);
    QString validationError(const QJsonObject &delivery) const;
    QString deliveryError(const QJsonObject &delivery) const;
    QJsonObject storedRecord(const QJsonObject &delivery) const;
    int indexOf(const QUuid &id) const;

    const Scenario &m_scenario;
    ThingRegistry *m_things;
    IdSource *m_ids;
    TrackingCodeMatcher m_matcher;
    QList<Delivery> m_deliveries;
    QJsonArray m_forgottenRemovals;
    QSet<QUuid> m_granted;
    QString m_lastAddedId;
};

#endif // DELIVERYSERVICE_H
