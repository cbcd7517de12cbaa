#ifndef PLAVODELIVERY_DELIVERYFLOW_H
#define PLAVODELIVERY_DELIVERYFLOW_H

#include "delivery.h"
#include "types.h"

#include <QHash>
#include <QObject>

class DeliveryStore;
class GateCycle;
class Thing;
class ThingManager;

// Answers the scans of parcel scanners: grants the oldest matching delivery
// (accept, open the gate, notify, close the gate later, mark it delivered)
// or rejects the scan. Everything a scan causes at once happens before the
// event handler returns.
class DeliveryFlow : public QObject
{
    Q_OBJECT
public:
    DeliveryFlow(ThingManager *thingManager, DeliveryStore *store, QObject *parent = nullptr);

    // How long to wait for a closed gate to confirm before the delivery is
    // marked delivered anyway.
    void setCloseConfirmationTimeout(int msecs);

    bool isCycleRunning(const QUuid &deliveryId) const;

private:
    void onEventTriggered(const Event &event);
    void handleScan(Thing *scanner, const QString &scannedCode);
    Delivery findGrantableDelivery(const QUuid &scannerId, const QString &scannedCode) const;
    bool hasUsableGate(const Delivery &delivery) const;
    void grant(Thing *scanner, const Delivery &delivery);
    GateCycle *createGateCycle(const Delivery &delivery);
    void notify(const Delivery &delivery);
    void onCycleFinished(const QUuid &deliveryId, qint64 closedAtMSecsSinceEpoch);

    ThingManager *m_thingManager;
    DeliveryStore *m_store;
    QHash<QUuid, GateCycle *> m_cycles;
    int m_closeConfirmationTimeout = 10000;
};

#endif // PLAVODELIVERY_DELIVERYFLOW_H
