#ifndef KORVU_SYSTEM_DELIVERYCLIENT_H
#define KORVU_SYSTEM_DELIVERYCLIENT_H

#include "rpcconnection.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QUuid>
#include <QVariantMap>

// A JSON-RPC client of korvud that knows the mock things and the delivery
// service. Every call waits for its reply; an empty object means none came.
class DeliveryClient
{
public:
    bool open();
    RpcConnection &connection();

    QJsonObject call(const QString &method, const QVariantMap &params = QVariantMap());

    // The new thing's id; null when it was not added.
    QUuid addThing(const QUuid &thingClassId, const QString &name);
    QUuid createGate();
    QUuid createScanner();
    QUuid createNotificationDevice();
    QString gateState(const QUuid &gateId);
    QJsonArray things();

    // The AddDelivery reply.
    QJsonObject addDelivery(const QVariantMap &delivery);
    // The listed id of a delivery that was added without any error; null otherwise.
    static QUuid addedDeliveryId(const QJsonObject &reply);
    QJsonArray deliveries();
    // An empty object when the delivery is not listed.
    QJsonObject delivery(const QUuid &deliveryId);
    QJsonObject removeDelivery(const QUuid &deliveryId);

    // A delivery record that names the given things, with the defaults that
    // leave no room for a refusal.
    static QVariantMap deliveryRecord(const QString &name, const QString &trackingCode, const QUuid &gateId,
                                      const QUuid &scannerId);

    static QJsonObject paramsOf(const QJsonObject &reply);

private:
    RpcConnection m_connection;
};

#endif // KORVU_SYSTEM_DELIVERYCLIENT_H
