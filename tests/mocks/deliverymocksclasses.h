#ifndef DELIVERYMOCKS_CLASSES_H
#define DELIVERYMOCKS_CLASSES_H

#include "thingclass.h"

#include <QList>
#include <QUuid>

// The thing classes of the mock devices and the HTTP control port of each.
class DeliveryMocksClasses
{
public:
    static QList<ThingClass> all();

    static ThingClass garageGate();
    static ThingClass parcelScanner();
    static ThingClass notificationDevice();

    // 0 for a class that is not one of ours.
    static quint16 controlPort(const QUuid &thingClassId);
};

#endif // DELIVERYMOCKS_CLASSES_H
