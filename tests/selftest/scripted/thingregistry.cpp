#include "thingregistry.h"

#include "scenario.h"

#include <QJsonObject>
#include <QTextStream>

ThingRegistry::ThingRegistry(const Scenario &scenario, RequestLog *requestLog, QObject *parent)
    : QObject(parent)
    , m_scenario(scenario)
    , m_requestLog(requestLog)
{
}

QString ThingRegistry::addThing(const QString &idText, const QString &classIdText, const QString &name)
{
    const MockThing::Kind kind = MockThing::kindOf(QUuid::fromString(classIdText));
    if (kind == MockThing::Kind::Other)
        return QStringLiteral("ThingErrorThingClassNotFound");
    if (firstOfKind(kind))
        return QStringLiteral("ThingErrorHardwareNotAvailable");
    auto thing = new MockThing(idText, classIdText, name, m_scenario, m_requestLog, this);
    QString why;
    if (!thing->startServing(&why)) {
        QTextStream(stderr) << "korvud (scripted): control port of " << name << " not available: " << why << '\n';
        delete thing;
        return QStringLiteral("ThingErrorHardwareNotAvailable");
    }
    connect(thing, &MockThing::codeScanned, this,
            [this, thing](const QString &code) { emit codeScanned(thing, code); });
    m_things.append(thing);
    emit changed();
    return QStringLiteral("ThingErrorNoError");
}

QString ThingRegistry::removeThing(const QUuid &thingId)
{
    MockThing *thing = findThing(thingId);
    if (!thing)
        return QStringLiteral("ThingErrorThingNotFound");
    m_things.removeOne(thing);
    delete thing;
    emit changed();
    return QStringLiteral("ThingErrorNoError");
}

MockThing *ThingRegistry::findThing(const QUuid &thingId) const
{
    if (thingId.isNull())
        return nullptr;
    for (MockThing *thing : m_things) {
        if (thing->id() == thingId)
            return thing;
    }
    return nullptr;
}

MockThing *ThingRegistry::firstOfKind(MockThing::Kind kind) const
{
    for (MockThing *thing : m_things) {
        if (thing->kind() == kind)
            return thing;
    }
    return nullptr;
}

QList<MockThing *> ThingRegistry::things() const { return m_things; }

void ThingRegistry::restore(const QJsonArray &things)
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

QJsonArray ThingRegistry::toJson() const
{
    QJsonArray list;
    for (const MockThing *thing : m_things)
        list.append(thing->toJson());
    return list;
}
