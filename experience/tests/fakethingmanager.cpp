#include "fakethingmanager.h"

#include <QDateTime>
#include <QPointer>
#include <QTimer>

// Ids of our own, unlike any integration's: the experience must find
// everything by interface and name.
static ThingClass makeClass(const QString &name, const QString &interfaceName)
{
    ThingClass thingClass(QUuid::createUuid(), name);
    thingClass.setInterfaces({interfaceName});
    return thingClass;
}

static ActionType actionType(const QString &name, const QStringList &paramNames = QStringList())
{
    return ActionType{QUuid::createUuid(), name, paramNames};
}

ThingClass FakeThingManager::gateClass()
{
    static const ThingClass thingClass = [] {
        ThingClass gate = makeClass(QStringLiteral("Fake gate"), QStringLiteral("garagegate"));
        gate.setStateTypes({StateType{QUuid::createUuid(), QStringLiteral("state"), QStringLiteral("closed")}});
        gate.setActionTypes({actionType(QStringLiteral("open")), actionType(QStringLiteral("close"))});
        return gate;
    }();
    return thingClass;
}

ThingClass FakeThingManager::scannerClass()
{
    static const ThingClass thingClass = [] {
        ThingClass scanner = makeClass(QStringLiteral("Fake scanner"), QStringLiteral("parcelscanner"));
        scanner.setEventTypes(
            {EventType{QUuid::createUuid(), QStringLiteral("codeScanned"), {QStringLiteral("content")}},
             EventType{QUuid::createUuid(), QStringLiteral("lidOpened"), {QStringLiteral("content")}}});
        scanner.setActionTypes({actionType(QStringLiteral("accept")), actionType(QStringLiteral("reject"))});
        return scanner;
    }();
    return thingClass;
}

ThingClass FakeThingManager::notificationClass()
{
    static const ThingClass thingClass = [] {
        ThingClass device = makeClass(QStringLiteral("Fake notifier"), QStringLiteral("notifications"));
        device.setActionTypes(
            {actionType(QStringLiteral("notify"), {QStringLiteral("title"), QStringLiteral("body")})});
        return device;
    }();
    return thingClass;
}

ThingClass FakeThingManager::lampClass()
{
    static const ThingClass thingClass = [] {
        ThingClass lamp = makeClass(QStringLiteral("Fake lamp"), QStringLiteral("light"));
        lamp.setEventTypes(
            {EventType{QUuid::createUuid(), QStringLiteral("codeScanned"), {QStringLiteral("content")}}});
        lamp.setActionTypes({actionType(QStringLiteral("open")), actionType(QStringLiteral("accept"))});
        return lamp;
    }();
    return thingClass;
}

FakeThingManager::FakeThingManager(QObject *parent)
    : ThingManager(parent)
{
}

Thing *FakeThingManager::addThing(const ThingClass &thingClass, const QString &name)
{
    auto thing = new Thing(QUuid::createUuid(), thingClass, name, this);
    connect(thing, &Thing::stateValueChanged, this, [this, thing](const QUuid &stateTypeId, const QVariant &value) {
        emit thingStateChanged(thing, stateTypeId, value);
    });
    connect(thing, &Thing::eventTriggered, this, &ThingManager::eventTriggered);
    m_things.append(thing);
    emit thingAdded(thing);
    return thing;
}

Thing *FakeThingManager::addGate() { return addThing(gateClass(), QStringLiteral("Gate")); }
Thing *FakeThingManager::addScanner() { return addThing(scannerClass(), QStringLiteral("Scanner")); }
Thing *FakeThingManager::addNotificationDevice() { return addThing(notificationClass(), QStringLiteral("Notifier")); }

void FakeThingManager::removeThing(const QUuid &thingId)
{
    Thing *thing = findThing(thingId);
    if (!thing)
        return;
    m_things.removeOne(thing);
    delete thing;
    emit thingRemoved(thingId);
}

QList<Thing *> FakeThingManager::things() const { return m_things; }

Thing *FakeThingManager::findThing(const QUuid &thingId) const
{
    for (Thing *thing : m_things) {
        if (thing->id() == thingId)
            return thing;
    }
    return nullptr;
}

Korvu::ThingError FakeThingManager::executeAction(const Action &action)
{
    Thing *thing = findThing(action.thingId);
    if (!thing)
        return Korvu::ThingErrorThingNotFound;
    if (!thing->thingClass().hasActionType(action.actionTypeId))
        return Korvu::ThingErrorActionTypeNotFound;
    const QString name = thing->thingClass().actionType(action.actionTypeId).name;
    m_executedActions.append(ExecutedAction{thing->id(), name, action.params, QDateTime::currentMSecsSinceEpoch()});
    if (name == m_failingAction)
        return Korvu::ThingErrorHardwareFailure;
    if (thing->thingClass().hasInterface(QStringLiteral("garagegate")))
        followGateAction(thing, name);
    return Korvu::ThingErrorNoError;
}

void FakeThingManager::followGateAction(Thing *gate, const QString &actionName)
{
    const QString state = actionName == QLatin1String("open") ? QStringLiteral("open") : QStringLiteral("closed");
    switch (m_gateBehaviour) {
    case GateBehaviour::FollowsAtOnce:
        gate->setStateValue(QStringLiteral("state"), state);
        break;
    case GateBehaviour::FollowsLater: {
        QPointer<Thing> later(gate);
        QTimer::singleShot(200, this, [later, state] {
            if (later)
                later->setStateValue(QStringLiteral("state"), state);
        });
        break;
    }
    case GateBehaviour::Stuck:
        break;
    }
}

void FakeThingManager::scan(const QUuid &scannerId, const QString &code)
{
    if (Thing *scanner = findThing(scannerId))
        scanner->emitEvent(QStringLiteral("codeScanned"), {{QStringLiteral("content"), code}});
}

QList<FakeThingManager::ExecutedAction> FakeThingManager::executedActions() const { return m_executedActions; }

QStringList FakeThingManager::actionNames(const QUuid &thingId) const
{
    QStringList names;
    for (const ExecutedAction &action : m_executedActions) {
        if (action.thingId == thingId)
            names.append(action.actionName);
    }
    return names;
}

QString FakeThingManager::gateState(const QUuid &gateId) const
{
    const Thing *gate = findThing(gateId);
    return gate ? gate->stateValue(QStringLiteral("state")).toString() : QString();
}

void FakeThingManager::setGateBehaviour(GateBehaviour behaviour) { m_gateBehaviour = behaviour; }
void FakeThingManager::setFailingAction(const QString &actionName) { m_failingAction = actionName; }
