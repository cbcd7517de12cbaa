#ifndef LIBKORVU_THINGMANAGER_H
#define LIBKORVU_THINGMANAGER_H

#include "korvu_global.h"
#include "thing.h"
#include "thingerror.h"
#include "types.h"

#include <QList>
#include <QObject>

// What experiences see of the daemon's things. The daemon implements it.
class KORVU_EXPORT ThingManager : public QObject
{
    Q_OBJECT
public:
    explicit ThingManager(QObject *parent = nullptr);
    ~ThingManager() override;

    virtual QList<Thing *> things() const = 0;
    virtual Thing *findThing(const QUuid &thingId) const = 0;
    QList<Thing *> findThingsByInterface(const QString &interfaceName) const;

    // Runs the action synchronously through the thing's integration plug-in.
    virtual Korvu::ThingError executeAction(const Action &action) = 0;

signals:
    void thingAdded(Thing *thing);
    // Emitted after the thing is gone from things().
    void thingRemoved(const QUuid &thingId);
    void eventTriggered(const Event &event);
    void thingStateChanged(Thing *thing, const QUuid &stateTypeId, const QVariant &value);
};

#endif // LIBKORVU_THINGMANAGER_H
