#include "thingclass.h"

#include <algorithm>

namespace {

template<typename Type>
Type findById(const QList<Type> &types, const QUuid &id)
{
    auto it = std::find_if(types.cbegin(), types.cend(), [&id](const Type &type) { return type.id == id; });
    return it == types.cend() ? Type() : *it;
}

template<typename Type>
QUuid findIdByName(const QList<Type> &types, const QString &name)
{
    auto it = std::find_if(types.cbegin(), types.cend(), [&name](const Type &type) { return type.name == name; });
    return it == types.cend() ? QUuid() : it->id;
}

} // namespace

ThingClass::ThingClass(const QUuid &id, const QString &name)
    : m_id(id)
    , m_name(name)
{
}

bool ThingClass::isValid() const { return !m_id.isNull(); }
QUuid ThingClass::id() const { return m_id; }
QString ThingClass::name() const { return m_name; }

QStringList ThingClass::interfaces() const { return m_interfaces; }
void ThingClass::setInterfaces(const QStringList &interfaces) { m_interfaces = interfaces; }
bool ThingClass::hasInterface(const QString &interfaceName) const { return m_interfaces.contains(interfaceName); }

QList<StateType> ThingClass::stateTypes() const { return m_stateTypes; }
void ThingClass::setStateTypes(const QList<StateType> &stateTypes) { m_stateTypes = stateTypes; }
QList<EventType> ThingClass::eventTypes() const { return m_eventTypes; }
void ThingClass::setEventTypes(const QList<EventType> &eventTypes) { m_eventTypes = eventTypes; }
QList<ActionType> ThingClass::actionTypes() const { return m_actionTypes; }
void ThingClass::setActionTypes(const QList<ActionType> &actionTypes) { m_actionTypes = actionTypes; }

QUuid ThingClass::stateTypeId(const QString &name) const { return findIdByName(m_stateTypes, name); }
QUuid ThingClass::eventTypeId(const QString &name) const { return findIdByName(m_eventTypes, name); }
QUuid ThingClass::actionTypeId(const QString &name) const { return findIdByName(m_actionTypes, name); }

bool ThingClass::hasStateType(const QUuid &stateTypeId) const
{
    return !stateTypeId.isNull() && stateType(stateTypeId).id == stateTypeId;
}
bool ThingClass::hasEventType(const QUuid &eventTypeId) const
{
    return !eventTypeId.isNull() && eventType(eventTypeId).id == eventTypeId;
}
bool ThingClass::hasActionType(const QUuid &actionTypeId) const
{
    return !actionTypeId.isNull() && actionType(actionTypeId).id == actionTypeId;
}

StateType ThingClass::stateType(const QUuid &stateTypeId) const { return findById(m_stateTypes, stateTypeId); }
EventType ThingClass::eventType(const QUuid &eventTypeId) const { return findById(m_eventTypes, eventTypeId); }
ActionType ThingClass::actionType(const QUuid &actionTypeId) const { return findById(m_actionTypes, actionTypeId); }
