#ifndef PLAVODELIVERY_DELIVERYSERVICE_H
#define PLAVODELIVERY_DELIVERYSERVICE_H

#include "deliveryerror.h"
#include "jsonhandler.h"

class DeliveryStore;
class ThingManager;

// The JSON-RPC namespace "PlavoDelivery": Status, AddDelivery,
// GetDeliveries and RemoveDelivery.
class DeliveryService : public JsonHandler
{
    Q_OBJECT
public:
    DeliveryService(ThingManager *thingManager, DeliveryStore *store, QObject *parent = nullptr);

private:
    JsonReply status(const QVariantMap &params) const;
    JsonReply addDelivery(const QVariantMap &params);
    JsonReply getDeliveries(const QVariantMap &params) const;
    JsonReply removeDelivery(const QVariantMap &params);

    JsonReply invalidParameter(const QString &method, const QString &parameter, const QString &reason,
                               const QVariantMap &params = QVariantMap()) const;
    JsonReply storageFailure(const QString &method, const QString &reason) const;
    static JsonReply deliveryErrorReply(DeliveryError error, const QVariantMap &extra = QVariantMap());

    ThingManager *m_thingManager;
    DeliveryStore *m_store;
};

#endif // PLAVODELIVERY_DELIVERYSERVICE_H
