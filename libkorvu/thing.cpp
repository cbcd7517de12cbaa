#include "thing.h"

Thing::Thing(const QUuid &id, const ThingClass &thingClass, const QString &name, QObject *parent)
    : QObject(parent)
    , m_id(id)
    , m_thingClass(thingClass)
    , m_name(name)
{
    for (const StateType &stateType : thingClass.stateTypes())
        m_states.insert(stateType.id, stateType.defaultValue);
}

QUuid Thing::id() const { return m_id; }
ThingClass Thing::thingClass() const { return m_thingClass; }
QUuid Thing::thingClassId() const { return m_thingClass.id(); }
QString Thing::name() const { return m_name; }

QVariant Thing::stateValue(const QUuid &stateTypeId) const { return m_states.value(stateTypeId); }

QVariant Thing::stateValue(const QString &stateName) const { return stateValue(m_thingClass.stateTypeId(stateName)); }

void Thing::setStateValue(const QUuid &stateTypeId, const QVariant &value)
{
    auto it = m_states.find(stateTypeId);
    if (it == m_states.end() || it.value() == value)
        return;
    it.value() = value;
    emit stateValueChanged(stateTypeId, value);
}

void Thing::setStateValue(const QString &stateName, const QVariant &value)
{
    setStateValue(m_thingClass.stateTypeId(stateName), value);
}

bool Thing::emitEvent(const QUuid &eventTypeId, const QVariantMap &params)
{
    if (!m_thingClass.hasEventType(eventTypeId))
        return false;
    emit eventTriggered(Event{m_id, eventTypeId, params});
    return true;
}

bool Thing::emitEvent(const QString &eventName, const QVariantMap &params)
{
    return emitEvent(m_thingClass.eventTypeId(eventName), params);
}
