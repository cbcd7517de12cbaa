#include "deliveryclient.h"

#include "deliverymocksids.h"
#include "uuidtext.h"

using namespace DeliveryMocksIds;

bool DeliveryClient::open() { return m_connection.open(); }
RpcConnection &DeliveryClient::connection() { return m_connection; }

QJsonObject DeliveryClient::call(const QString &method, const QVariantMap &params)
{
    return m_connection.call(method, params);
}

QUuid DeliveryClient::addThing(const QUuid &thingClassId, const QString &name)
{
    const QJsonObject reply = call(QStringLiteral("Integrations.AddThing"),
                                   {{"thingClassId", Korvu::idText(thingClassId)}, {"name", name}});
    return QUuid(paramsOf(reply).value(QStringLiteral("thingId")).toString());
}

QUuid DeliveryClient::createGate() { return addThing(garageGateThingClassId, QStringLiteral("Gate")); }
QUuid DeliveryClient::createScanner() { return addThing(parcelScannerThingClassId, QStringLiteral("Scanner")); }
QUuid DeliveryClient::createNotificationDevice()
{
    return addThing(notificationDeviceThingClassId, QStringLiteral("Notifications"));
}

QString DeliveryClient::gateState(const QUuid &gateId)
{
    const QJsonObject reply = call(
        QStringLiteral("Integrations.GetStateValue"),
        {{"thingId", Korvu::idText(gateId)}, {"stateTypeId", Korvu::idText(garageGateStateStateTypeId)}});
    return paramsOf(reply).value(QStringLiteral("value")).toString();
}

QJsonArray DeliveryClient::things()
{
    return paramsOf(call(QStringLiteral("Integrations.GetThings"))).value(QStringLiteral("things")).toArray();
}

QJsonObject DeliveryClient::addDelivery(const QVariantMap &delivery)
{
    return call(QStringLiteral("PlavoDelivery.AddDelivery"), {{"delivery", delivery}});
}

QUuid DeliveryClient::addedDeliveryId(const QJsonObject &reply)
{
    const QJsonObject params = paramsOf(reply);
    if (reply.value(QStringLiteral("status")) != QLatin1String("success")
        || params.value(QStringLiteral("deliveryError")) != QLatin1String("DeliveryErrorNoError"))
        return QUuid();
    return QUuid(params.value(QStringLiteral("deliveryId")).toString());
}

QJsonArray DeliveryClient::deliveries()
{
    return paramsOf(call(QStringLiteral("PlavoDelivery.GetDeliveries"))).value(QStringLiteral("deliveries")).toArray();
}

QJsonObject DeliveryClient::delivery(const QUuid &deliveryId)
{
    const QJsonObject reply = call(QStringLiteral("PlavoDelivery.GetDeliveries"),
                                   {{"deliveryId", Korvu::idText(deliveryId)}});
    return paramsOf(reply).value(QStringLiteral("deliveries")).toArray().at(0).toObject();
}

QJsonObject DeliveryClient::removeDelivery(const QUuid &deliveryId)
{
    return call(QStringLiteral("PlavoDelivery.RemoveDelivery"), {{"deliveryId", Korvu::idText(deliveryId)}});
}

QVariantMap DeliveryClient::deliveryRecord(const QString &name, const QString &trackingCode, const QUuid &gateId,
                                           const QUuid &scannerId)
{
    return {
        {"name", name},
        {"trackingCode", trackingCode},
        {"gateId", Korvu::idText(gateId)},
        {"scannerId", Korvu::idText(scannerId)},
    };
}

QJsonObject DeliveryClient::paramsOf(const QJsonObject &reply)
{
    return reply.value(QStringLiteral("params")).toObject();
}
