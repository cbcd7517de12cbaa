#include "thingmanager.h"

ThingManager::ThingManager(QObject *parent)
    : QObject(parent)
{
}

ThingManager::~ThingManager() = default;

QList<Thing *> ThingManager::findThingsByInterface(const QString &interfaceName) const
{
    QList<Thing *> result;
    for (Thing *thing : things()) {
        if (thing->thingClass().hasInterface(interfaceName))
            result.append(thing);
    }
    return result;
}
