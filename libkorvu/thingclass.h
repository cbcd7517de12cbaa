#ifndef LIBKORVU_THINGCLASS_H
#define LIBKORVU_THINGCLASS_H

#include "korvu_global.h"
#include "types.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QUuid>

class KORVU_EXPORT ThingClass
{
public:
    ThingClass() = default;
    ThingClass(const QUuid &id, const QString &name);

    bool isValid() const;

    QUuid id() const;
    QString name() const;

    QStringList interfaces() const;
    void setInterfaces(const QStringList &interfaces);
    bool hasInterface(const QString &interfaceName) const;

    QList<StateType> stateTypes() const;
    void setStateTypes(const QList<StateType> &stateTypes);
    QList<EventType> eventTypes() const;
    void setEventTypes(const QList<EventType> &eventTypes);
    QList<ActionType> actionTypes() const;
    void setActionTypes(const QList<ActionType> &actionTypes);

    // Null when the class has no such type.
    QUuid stateTypeId(const QString &name) const;
    QUuid eventTypeId(const QString &name) const;
    QUuid actionTypeId(const QString &name) const;

    bool hasStateType(const QUuid &stateTypeId) const;
    bool hasEventType(const QUuid &eventTypeId) const;
    bool hasActionType(const QUuid &actionTypeId) const;
    StateType stateType(const QUuid &stateTypeId) const;
    EventType eventType(const QUuid &eventTypeId) const;
    ActionType actionType(const QUuid &actionTypeId) const;

private:
    QUuid m_id;
    QString m_name;
    QStringList m_interfaces;
    QList<StateType> m_stateTypes;
    QList<EventType> m_eventTypes;
    QList<ActionType> m_actionTypes;
};

#endif // LIBKORVU_THINGCLASS_H
