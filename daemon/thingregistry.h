#ifndef KORVUD_THINGREGISTRY_H
#define KORVUD_THINGREGISTRY_H

#include "integrationplugin.h"
#include "thingmanager.h"

#include <QHash>
#include <QList>
#include <QPointer>

class ThingStore;

// Owns the configured things and runs them through the integration plug-ins
// that provide their classes. Everything is synchronous on the main thread.
class ThingRegistry : public ThingManager
{
    Q_OBJECT
public:
    explicit ThingRegistry(ThingStore *store, QObject *parent = nullptr);
    ~ThingRegistry() override;

    // Makes the plug-in's thing classes available; a class id that another
    // plug-in already offers stays with that plug-in.
    void addIntegrationPlugin(IntegrationPlugin *plugin);
    ThingClass thingClass(const QUuid &thingClassId) const;

    // Sets up every stored thing again. A thing that cannot be set up stays
    // stored, so that it comes back once its plug-in can run it again.
    void restoreThings();

    // On success thingId holds the new thing's id. errorMessage is set only
    // when the thing could not be stored.
    Korvu::ThingError addThing(const QUuid &thingClassId, const QString &name, QUuid *thingId, QString *errorMessage);
    // The thing leaves the store first; only when that is committed does its
    // plug-in release it.
    Korvu::ThingError removeThing(const QUuid &thingId, QString *errorMessage);

    // Tells the plug-ins that all things go away, without touching the store.
    void releaseThings();

    QList<Thing *> things() const override;
    Thing *findThing(const QUuid &thingId) const override;
    // Refuses parameters the action type does not name (ThingErrorInvalidParameter).
    Korvu::ThingError executeAction(const Action &action) override;

private:
    IntegrationPlugin *pluginForClass(const QUuid &thingClassId) const;
    Korvu::ThingError setUpThing(Thing *thing);
    void adopt(Thing *thing);
    void release(Thing *thing);

    ThingStore *m_store;
    QHash<QUuid, ThingClass> m_thingClasses;
    QHash<QUuid, QPointer<IntegrationPlugin>> m_pluginsByClass;
    QList<Thing *> m_things;
};

#endif // KORVUD_THINGREGISTRY_H
