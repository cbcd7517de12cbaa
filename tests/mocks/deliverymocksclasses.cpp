#include "deliverymocksclasses.h"

#include "deliverymocksids.h"

using namespace DeliveryMocksIds;

QList<ThingClass> DeliveryMocksClasses::all() { return {garageGate(), parcelScanner(), notificationDevice()}; }

ThingClass DeliveryMocksClasses::garageGate()
{
    ThingClass thingClass(garageGateThingClassId, QStringLiteral("Garage gate"));
    thingClass.setInterfaces({QStringLiteral("garagegate")});
    thingClass.setStateTypes({
        StateType{garageGateStateStateTypeId, QStringLiteral("state"), QStringLiteral("closed")},
    });
    thingClass.setActionTypes({
        ActionType{garageGateOpenActionTypeId, QStringLiteral("open"), {}},
        ActionType{garageGateCloseActionTypeId, QStringLiteral("close"), {}},
    });
    return thingClass;
}

ThingClass DeliveryMocksClasses::parcelScanner()
{
    ThingClass thingClass(parcelScannerThingClassId, QStringLiteral("Parcel scanner"));
    thingClass.setInterfaces({QStringLiteral("parcelscanner")});
    thingClass.setEventTypes({
        EventType{parcelScannerCodeScannedEventTypeId, QStringLiteral("codeScanned"), {QStringLiteral("content")}},
    });
    thingClass.setActionTypes({
        ActionType{parcelScannerAcceptActionTypeId, QStringLiteral("accept"), {}},
        ActionType{parcelScannerRejectActionTypeId, QStringLiteral("reject"), {}},
    });
    return thingClass;
}

ThingClass DeliveryMocksClasses::notificationDevice()
{
    ThingClass thingClass(notificationDeviceThingClassId, QStringLiteral("Notification device"));
    thingClass.setInterfaces({QStringLiteral("notifications")});
    thingClass.setActionTypes({
        ActionType{notificationDeviceNotifyActionTypeId,
                   QStringLiteral("notify"),
                   {QStringLiteral("title"), QStringLiteral("body")}},
    });
    return thingClass;
}

quint16 DeliveryMocksClasses::controlPort(const QUuid &thingClassId)
{
    if (thingClassId == garageGateThingClassId)
        return garageGatePort;
    if (thingClassId == parcelScannerThingClassId)
        return parcelScannerPort;
    if (thingClassId == notificationDeviceThingClassId)
        return notificationDevicePort;
    return 0;
}
