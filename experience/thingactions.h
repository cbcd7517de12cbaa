#ifndef PLAVODELIVERY_THINGACTIONS_H
#define PLAVODELIVERY_THINGACTIONS_H

#include <QString>
#include <QVariantMap>

class Thing;
class ThingManager;

// Deliveries address actions by name (see ThingInterfaces), whatever
// integration runs the thing.
namespace ThingActions {

// Runs the action of that name on the thing; logs why when it cannot run or fails.
void execute(ThingManager *thingManager, Thing *thing, const QString &actionName,
             const QVariantMap &params = QVariantMap());

} // namespace ThingActions

#endif // PLAVODELIVERY_THINGACTIONS_H
