#include "fakedevicesplugin.h"

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

ThingClass FakeDevicesPlugin::gateClass()
{
    static const ThingClass thingClass = [] {
        ThingClass gate = makeClass(QStringLiteral("Fake gate"), QStringLiteral("garagegate"));
        gate.setStateTypes({StateType{QUuid::createUuid(), QStringLiteral("state"), QStringLiteral("closed")}});
        gate.setActionTypes({actionType(QStringLiteral("open")), actionType(QStringLiteral("close"))});
        return gate;
    }();
    return thingClass;
}

ThingClass FakeDevicesPlugin::scannerClass()
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

ThingClass FakeDevicesPlugin::notificationClass()
{
    static const ThingClass thingClass = [] {
        ThingClass device = makeClass(QStringLiteral("Fake notifier"), QStringLiteral("notifications"));
        device.setActionTypes(
            {actionType(QStringLiteral("notify"), {QStringLiteral("title"), QStringLiteral("body")})});
        return device;
    }();
    return thingClass;
}

ThingClass FakeDevicesPlugin::lampClass()
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

QString FakeDevicesPlugin::pluginName() const { return QStringLiteral("FakeDevices"); }

QList<ThingClass> FakeDevicesPlugin::thingClasses() const
{
    return {gateClass(), scannerClass(), notificationClass(), lampClass()};
}

Korvu::ThingError FakeDevicesPlugin::setupThing(Thing *thing)
{
    Q_UNUSED(thing)
    return Korvu::ThingErrorNoError;
}

Korvu::ThingError FakeDevicesPlugin::executeAction(Thing *thing, const Action &action)
{
    const QString name = thing->thingClass().actionType(action.actionTypeId).name;
    m_executedActions.append(ExecutedAction{thing->id(), name, action.params, QDateTime::currentMSecsSinceEpoch()});
    if (name == m_failingAction)
        return Korvu::ThingErrorHardwareFailure;
    if (thing->thingClass().hasInterface(QStringLiteral("garagegate")))
        followGateAction(thing, name);
    return Korvu::ThingErrorNoError;
}

void FakeDevicesPlugin::followGateAction(Thing *gate, const QString &actionName)
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

QList<FakeDevicesPlugin::ExecutedAction> FakeDevicesPlugin::executedActions() const { return m_executedActions; }
void FakeDevicesPlugin::setGateBehaviour(GateBehaviour behaviour) { m_gateBehaviour = behaviour; }
void FakeDevicesPlugin::setFailingAction(const QString &actionName) { m_failingAction = actionName; }
