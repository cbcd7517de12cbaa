#ifndef PLAVODELIVERY_DELIVERYVALIDATOR_H
#define PLAVODELIVERY_DELIVERYVALIDATOR_H

#include "delivery.h"
#include "deliveryerror.h"

class ThingManager;

// Checks a well-formed delivery against what it means: a usable name and
// tracking code, and things of the right kind behind its ids.
class DeliveryValidator
{
public:
    explicit DeliveryValidator(const ThingManager *thingManager);

    // The first problem found, in the order clients rely on.
    DeliveryError check(const Delivery &delivery) const;

private:
    bool isThingWithInterface(const QUuid &thingId, const QString &interfaceName) const;
    bool allNotificationDevicesExist(const Delivery &delivery) const;

    const ThingManager *m_thingManager;
};

#endif // PLAVODELIVERY_DELIVERYVALIDATOR_H
