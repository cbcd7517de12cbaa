#include "scriptedthingmanager.h"

#include "scenario.h"

#include <QJsonObject>
#include <QTextStream>

ScriptedThingManager::ScriptedThingManager(const Scenario &scenario, RequestLog *requestLog, QObject *parent)
    : ThingManager(parent)
    , m_scenario(scenario)
    , m_requestLog(requestLog)
{
}

Korvu::ThingError ScriptedThingManager::addThing(const QString &idText, const QString &classIdText, const QString &name)
{
    const MockThing::Kind kind = MockThing::kindOf(QUuid::fromString(classIdText));
    if (kind == MockThing::Kind::Other)
        return Korvu::ThingErrorThingClassNotFound;
    if (firstOfKind(kind))
        return Korvu::ThingErrorHardwareNotAvailable;
    auto thing = new MockThing(idText, classIdText, name, m_scenario, m_requestLog, this);
    QString why;
    if (!thing->startServing(&why)) {
        QTextStream(stderr) << "korvud (scripted): control port of " << name << " not available: " << why << '\n';
        delete thing;
        return Korvu::ThingErrorHardwareNotAvailable;
    }
    connect(thing, &MockThing::codeScanned, this,
            [this, thing](const QString &code) { emit codeScanned(thing, code); });
    m_things.append(thing);
    emit changed();
    return Korvu::ThingErrorNoError;
}

Korvu::ThingError ScriptedThingManager::removeThing(const QUuid &thingId)
{
    MockThing *thing = findMockThing(thingId);
    if (!thing)
        return Korvu::ThingErrorThingNotFound;
    m_things.removeOne(thing);
    delete thing;
    emit changed();
    return Korvu::ThingErrorNoError;
}

MockThing *ScriptedThingManager::findMockThing(const QUuid &thingId) const
{
    if (thingId.isNull())
        return nullptr;
    for (MockThing *thing : m_things) {
        if (thing->id() == thingId)
            return thing;
    }
    return nullptr;
}

QList<Thing *> ScriptedThingManager::things() const
{
    QList<Thing *> things;
    for (MockThing *thing : m_things)
        things.append(thing->thing());
    return things;
}

Thing *ScriptedThingManager::findThing(const QUuid &thingId) const
{
    MockThing *thing = findMockThing(thingId);
    return thing ? thing->thing() : nullptr;
}

Korvu::ThingError ScriptedThingManager::executeAction(const Action &action)
{
    MockThing *thing = findMockThing(action.thingId);
    if (!thing)
        return Korvu::ThingErrorThingNotFound;
    if (!thing->thing()->thingClass().hasActionType(action.actionTypeId))
        return Korvu::ThingErrorActionTypeNotFound;
    thing->executeAction(action.actionTypeId);
    return Korvu::ThingErrorNoError;
}

void ScriptedThingManager::restore(const QJsonArray &things)
{
    for (const QJsonValue &value : things) {
        const QJsonObject object = value.toObject();
        const QString classIdText = object.value("thingClassId").toString();
        const QString name = object.value("name").toString();
        const QString idText = object.value("id").toString();
        if (MockThing::kindOf(QUuid::fromString(classIdText)) == MockThing::Kind::Other) {
            m_things.append(new MockThing(idText, classIdText, name, m_scenario, m_requestLog, this));
            continue;
        }
        addThing(idText, classIdText, name);
    }
}

QJsonArray ScriptedThingManager::toJson() const
{
    QJsonArray list;
    for (const MockThing *thing : m_things)
        list.append(thing->toJson());
    return list;
}

MockThing *ScriptedThingManager::firstOfKind(MockThing::Kind kind) const
{
    for (MockThing *thing : m_things) {
        if (thing->kind() == kind)
            return thing;
    }
    return nullptr;
}
