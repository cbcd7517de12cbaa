#include "deliveryvalidator.h"
#include "thinginterfaces.h"
#include "thingmanager.h"
#include "trackingcodematcher.h"

#include <algorithm>

DeliveryValidator::DeliveryValidator(const ThingManager *thingManager)
    : m_thingManager(thingManager)
{
}

DeliveryError DeliveryValidator::check(const Delivery &delivery) const
{
    if (delivery.name().trimmed().isEmpty())
        return DeliveryError::InvalidName;
    // A code without a single letter or digit could never be told apart
    // from any other such scan.
    if (TrackingCodeMatcher::normalise(delivery.trackingCode()).isEmpty())
        return DeliveryError::InvalidTrackingCode;
    if (!isThingWithInterface(delivery.gateId(), ThingInterfaces::garageGate()))
        return DeliveryError::GateNotFound;
    if (!isThingWithInterface(delivery.scannerId(), ThingInterfaces::parcelScanner()))
        return DeliveryError::ScannerNotFound;
    if (!allNotificationDevicesExist(delivery))
        return DeliveryError::NotificationDeviceNotFound;
    return DeliveryError::NoError;
}

bool DeliveryValidator::isThingWithInterface(const QUuid &thingId, const QString &interfaceName) const
{
    const Thing *thing = m_thingManager->findThing(thingId);
    return thing && thing->thingClass().hasInterface(interfaceName);
}

bool DeliveryValidator::allNotificationDevicesExist(const Delivery &delivery) const
{
    const QList<QUuid> ids = delivery.notificationIds();
    return std::all_of(ids.cbegin(), ids.cend(),
                       [this](const QUuid &id) { return isThingWithInterface(id, ThingInterfaces::notifications()); });
}
