#ifndef LIBKORVU_THING_H
#define LIBKORVU_THING_H

#include "korvu_global.h"
#include "thingclass.h"
#include "types.h"

#include <QHash>
#include <QObject>
#include <QUuid>
#include <QVariant>

// One configured thing. The daemon owns it; the integration plug-in that
// provides its class drives it: sets its states and emits its events.
class KORVU_EXPORT Thing : public QObject
{
    Q_OBJECT
public:
    Thing(const QUuid &id, const ThingClass &thingClass, const QString &name, QObject *parent = nullptr);

    QUuid id() const;
    ThingClass thingClass() const;
    QUuid thingClassId() const;
    QString name() const;

    QVariant stateValue(const QUuid &stateTypeId) const;
    QVariant stateValue(const QString &stateName) const;
    // Ignores state types the class does not have; emits stateValueChanged only on a change.
    void setStateValue(const QUuid &stateTypeId, const QVariant &value);
    void setStateValue(const QString &stateName, const QVariant &value);

    // Emits eventTriggered for an event type of this thing's class; returns false otherwise.
    bool emitEvent(const QUuid &eventTypeId, const QVariantMap &params = QVariantMap());
    bool emitEvent(const QString &eventName, const QVariantMap &params = QVariantMap());

signals:
    void stateValueChanged(const QUuid &stateTypeId, const QVariant &value);
    void eventTriggered(const Event &event);

private:
    QUuid m_id;
    ThingClass m_thingClass;
    QString m_name;
    QHash<QUuid, QVariant> m_states;
};

#endif // LIBKORVU_THING_H
