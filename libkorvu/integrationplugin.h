#ifndef LIBKORVU_INTEGRATIONPLUGIN_H
#define LIBKORVU_INTEGRATIONPLUGIN_H

#include "korvu_global.h"
#include "thing.h"
#include "thingerror.h"
#include "types.h"

#include <QList>
#include <QObject>

// An integration plug-in contributes thing classes and runs the things of
// those classes. Every call happens on the daemon's main thread and is
// synchronous: when a call returns, its effects are complete.
class KORVU_EXPORT IntegrationPlugin : public QObject
{
    Q_OBJECT
public:
    explicit IntegrationPlugin(QObject *parent = nullptr);
    ~IntegrationPlugin() override;

    virtual QString pluginName() const = 0;
    virtual QList<ThingClass> thingClasses() const = 0;

    // Brings up the hardware (or mock) behind a new or restored thing. Anything
    // but ThingErrorNoError refuses the thing; the daemon then discards it.
    virtual Korvu::ThingError setupThing(Thing *thing) = 0;

    // The thing is about to be deleted: release everything held for it, at once.
    virtual void thingRemoved(Thing *thing);

    // Runs an action whose type belongs to the thing's class.
    virtual Korvu::ThingError executeAction(Thing *thing, const Action &action) = 0;
};

#define IntegrationPlugin_iid "org.korvu.IntegrationPlugin/1.0"
Q_DECLARE_INTERFACE(IntegrationPlugin, IntegrationPlugin_iid)

#endif // LIBKORVU_INTEGRATIONPLUGIN_H
