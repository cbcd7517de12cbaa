#ifndef PLAVODELIVERY_THINGINTERFACES_H
#define PLAVODELIVERY_THINGINTERFACES_H

#include <QString>

// Deliveries find their things by interface, and states, events and actions
// by name, so that they work with any integration offering these.
namespace ThingInterfaces {

inline QString garageGate() { return QStringLiteral("garagegate"); }
inline QString parcelScanner() { return QStringLiteral("parcelscanner"); }
inline QString notifications() { return QStringLiteral("notifications"); }

} // namespace ThingInterfaces

#endif // PLAVODELIVERY_THINGINTERFACES_H
