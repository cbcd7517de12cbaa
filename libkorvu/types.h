#ifndef LIBKORVU_TYPES_H
#define LIBKORVU_TYPES_H

#include "korvu_global.h"

#include <QStringList>
#include <QUuid>
#include <QVariant>

// Descriptions of what a thing class offers. Plug-ins and experiences address
// states, events and actions by id; experiences look the id up by name, so
// they never depend on one integration's ids.

struct KORVU_EXPORT StateType
{
    QUuid id;
    QString name;
    QVariant defaultValue;
};

struct KORVU_EXPORT EventType
{
    QUuid id;
    QString name;
    QStringList paramNames;
};

struct KORVU_EXPORT ActionType
{
    QUuid id;
    QString name;
    QStringList paramNames;
};

// An event a thing emitted, as the thing manager passes it on.
struct KORVU_EXPORT Event
{
    QUuid thingId;
    QUuid eventTypeId;
    QVariantMap params;
};

// A request to run one action on one thing.
struct KORVU_EXPORT Action
{
    QUuid thingId;
    QUuid actionTypeId;
    QVariantMap params;
};

Q_DECLARE_METATYPE(Event)
Q_DECLARE_METATYPE(Action)

#endif // LIBKORVU_TYPES_H
