#include "fakethings.h"

#include <QDebug>

FakeThings::FakeThings()
    : m_registry(&m_store)
{
    m_registry.addIntegrationPlugin(&m_devices);
}

FakeThings::~FakeThings() { m_registry.releaseThings(); }

bool FakeThings::open(const QString &databasePath)
{
    QString errorMessage;
    if (m_store.open(databasePath, &errorMessage))
        return true;
    qWarning() << "Cannot open the thing store:" << errorMessage;
    return false;
}

ThingManager *FakeThings::manager() { return &m_registry; }
FakeDevicesPlugin *FakeThings::devices() { return &m_devices; }

Thing *FakeThings::addThing(const ThingClass &thingClass, const QString &name)
{
    QUuid thingId;
    QString errorMessage;
    const Korvu::ThingError error = m_registry.addThing(thingClass.id(), name, &thingId, &errorMessage);
    if (error != Korvu::ThingErrorNoError)
        qWarning() << "Cannot add" << name << error << errorMessage;
    return m_registry.findThing(thingId);
}

Thing *FakeThings::addGate() { return addThing(FakeDevicesPlugin::gateClass(), QStringLiteral("Gate")); }
Thing *FakeThings::addScanner() { return addThing(FakeDevicesPlugin::scannerClass(), QStringLiteral("Scanner")); }
Thing *FakeThings::addNotificationDevice()
{
    return addThing(FakeDevicesPlugin::notificationClass(), QStringLiteral("Notifier"));
}

void FakeThings::removeThing(const QUuid &thingId)
{
    QString errorMessage;
    const Korvu::ThingError error = m_registry.removeThing(thingId, &errorMessage);
    if (error != Korvu::ThingErrorNoError)
        qWarning() << "Cannot remove" << thingId << error << errorMessage;
}

QList<Thing *> FakeThings::things() const { return m_registry.things(); }
Thing *FakeThings::findThing(const QUuid &thingId) const { return m_registry.findThing(thingId); }

void FakeThings::scan(const QUuid &scannerId, const QString &code)
{
    if (Thing *scanner = findThing(scannerId))
        scanner->emitEvent(QStringLiteral("codeScanned"), {{QStringLiteral("content"), code}});
}

QStringList FakeThings::actionNames(const QUuid &thingId) const
{
    QStringList names;
    for (const FakeDevicesPlugin::ExecutedAction &action : m_devices.executedActions()) {
        if (action.thingId == thingId)
            names.append(action.actionName);
    }
    return names;
}

QString FakeThings::gateState(const QUuid &gateId) const
{
    const Thing *gate = findThing(gateId);
    return gate ? gate->stateValue(QStringLiteral("state")).toString() : QString();
}
