#include "thingregistry.h"

#include "loggingcategories.h"
#include "logtext.h"
#include "thingstore.h"

ThingRegistry::ThingRegistry(ThingStore *store, QObject *parent)
    : ThingManager(parent)
    , m_store(store)
{
}

ThingRegistry::~ThingRegistry() { qDeleteAll(m_things); }

void ThingRegistry::addIntegrationPlugin(IntegrationPlugin *plugin)
{
    for (const ThingClass &thingClass : plugin->thingClasses()) {
        if (!thingClass.isValid()) {
            qCWarning(dcThingManager) << "Plug-in" << plugin->pluginName()
                                      << "offers a thing class without id; ignored";
            continue;
        }
        IntegrationPlugin *owner = pluginForClass(thingClass.id());
        if (owner) {
            qCWarning(dcThingManager).nospace()
                << "Thing class " << thingClass.id().toString() << " of plug-in " << plugin->pluginName()
                << " is already offered by plug-in " << owner->pluginName() << "; ignored";
            continue;
        }
        m_thingClasses.insert(thingClass.id(), thingClass);
        m_pluginsByClass.insert(thingClass.id(), plugin);
        qCDebug(dcThingManager) << "Thing class" << thingClass.name() << thingClass.id().toString() << "from plug-in"
                                << plugin->pluginName();
    }
}

ThingClass ThingRegistry::thingClass(const QUuid &thingClassId) const
{
    return pluginForClass(thingClassId) ? m_thingClasses.value(thingClassId) : ThingClass();
}

void ThingRegistry::restoreThings()
{
    QString errorMessage;
    const QList<ThingStore::StoredThing> storedThings = m_store->loadThings(&errorMessage);
    if (!errorMessage.isEmpty())
        qCWarning(dcThingManager) << "Cannot read the stored things:" << errorMessage;

    for (const ThingStore::StoredThing &stored : storedThings) {
        const ThingClass storedClass = thingClass(stored.thingClassId);
        if (!storedClass.isValid()) {
            qCWarning(dcThingManager) << "Stored thing" << LogText::shortened(stored.name) << stored.id.toString()
                                      << "has the unknown thing class" << stored.thingClassId.toString()
                                      << "and stays inactive";
            continue;
        }
        auto thing = new Thing(stored.id, storedClass, stored.name, this);
        const Korvu::ThingError error = setUpThing(thing);
        if (error != Korvu::ThingErrorNoError) {
            qCWarning(dcThingManager) << "Stored thing" << LogText::shortened(stored.name) << stored.id.toString()
                                      << "cannot be set up:" << Korvu::thingErrorName(error) << "- it stays inactive";
            delete thing;
            continue;
        }
        adopt(thing);
        qCDebug(dcThingManager) << "Restored thing" << LogText::shortened(thing->name()) << thing->id().toString();
    }
}

Korvu::ThingError ThingRegistry::addThing(const QUuid &thingClassId, const QString &name, QUuid *thingId,
                                          QString *errorMessage)
{
    const ThingClass newClass = thingClass(thingClassId);
    if (!newClass.isValid())
        return Korvu::ThingErrorThingClassNotFound;

    auto thing = new Thing(QUuid::createUuid(), newClass, name, this);
    const Korvu::ThingError error = setUpThing(thing);
    if (error != Korvu::ThingErrorNoError) {
        qCDebug(dcThingManager) << "Setting up thing" << LogText::shortened(name)
                                << "failed:" << Korvu::thingErrorName(error);
        delete thing;
        return error;
    }

    QString storeError;
    if (!m_store->insertThing({thing->id(), thingClassId, name}, &storeError)) {
        qCWarning(dcThingManager) << "Cannot store thing" << LogText::shortened(name) << ":" << storeError;
        release(thing);
        *errorMessage = QStringLiteral("The thing cannot be stored: %1").arg(storeError);
        return Korvu::ThingErrorHardwareFailure;
    }

    adopt(thing);
    *thingId = thing->id();
    qCDebug(dcThingManager) << "Added thing" << LogText::shortened(name) << thing->id().toString() << "of class"
                            << newClass.name();
    emit thingAdded(thing);
    return Korvu::ThingErrorNoError;
}

Korvu::ThingError ThingRegistry::removeThing(const QUuid &thingId, QString *errorMessage)
{
    Thing *thing = findThing(thingId);
    if (!thing)
        return Korvu::ThingErrorThingNotFound;

    // Forget it in the store first: when that fails, the thing keeps running
    // as it is, instead of coming back at the next start after it was released.
    QString storeError;
    if (!m_store->removeThing(thingId, &storeError)) {
        qCWarning(dcThingManager) << "Cannot remove thing" << thingId.toString() << "from the store:" << storeError;
        *errorMessage = QStringLiteral("The thing cannot be removed from the store: %1").arg(storeError);
        return Korvu::ThingErrorHardwareFailure;
    }

    m_things.removeOne(thing);
    release(thing);
    qCDebug(dcThingManager) << "Removed thing" << thingId.toString();
    emit thingRemoved(thingId);
    return Korvu::ThingErrorNoError;
}

void ThingRegistry::releaseThings()
{
    const QList<Thing *> things = m_things;
    m_things.clear();
    for (Thing *thing : things)
        release(thing);
}

QList<Thing *> ThingRegistry::things() const { return m_things; }

Thing *ThingRegistry::findThing(const QUuid &thingId) const
{
    for (Thing *thing : m_things) {
        if (thing->id() == thingId)
            return thing;
    }
    return nullptr;
}

Korvu::ThingError ThingRegistry::executeAction(const Action &action)
{
    Thing *thing = findThing(action.thingId);
    if (!thing)
        return Korvu::ThingErrorThingNotFound;
    const ThingClass thingClass = thing->thingClass();
    if (!thingClass.hasActionType(action.actionTypeId))
        return Korvu::ThingErrorActionTypeNotFound;
    const QStringList paramNames = thingClass.actionType(action.actionTypeId).paramNames;
    for (auto it = action.params.cbegin(); it != action.params.cend(); ++it) {
        if (!paramNames.contains(it.key()))
            return Korvu::ThingErrorInvalidParameter;
    }
    IntegrationPlugin *plugin = pluginForClass(thing->thingClassId());
    if (!plugin)
        return Korvu::ThingErrorHardwareNotAvailable;
    qCDebug(dcThingManager) << "Executing action" << thingClass.actionType(action.actionTypeId).name << "on thing"
                            << LogText::shortened(thing->name()) << LogText::shortened(action.params);
    const Korvu::ThingError error = plugin->executeAction(thing, action);
    if (error != Korvu::ThingErrorNoError)
        qCDebug(dcThingManager) << "Action failed:" << Korvu::thingErrorName(error);
    return error;
}

IntegrationPlugin *ThingRegistry::pluginForClass(const QUuid &thingClassId) const
{
    return m_pluginsByClass.value(thingClassId).data();
}

Korvu::ThingError ThingRegistry::setUpThing(Thing *thing)
{
    IntegrationPlugin *plugin = pluginForClass(thing->thingClassId());
    if (!plugin)
        return Korvu::ThingErrorThingClassNotFound;
    return plugin->setupThing(thing);
}

void ThingRegistry::adopt(Thing *thing)
{
    m_things.append(thing);
    connect(thing, &Thing::eventTriggered, this, &ThingManager::eventTriggered, Qt::DirectConnection);
    connect(
        thing, &Thing::stateValueChanged, this,
        [this, thing](const QUuid &stateTypeId, const QVariant &value) {
            emit thingStateChanged(thing, stateTypeId, value);
        },
        Qt::DirectConnection);
}

void ThingRegistry::release(Thing *thing)
{
    thing->disconnect(this);
    if (IntegrationPlugin *plugin = pluginForClass(thing->thingClassId()))
        plugin->thingRemoved(thing);
    delete thing;
}
