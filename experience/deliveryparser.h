#ifndef PLAVODELIVERY_DELIVERYPARSER_H
#define PLAVODELIVERY_DELIVERYPARSER_H

#include "delivery.h"
#include "deliveryerror.h"

#include <QString>
#include <QVariant>

// Reads a delivery record from parsed JSON and checks its shape: types,
// ranges and sizes. Whether the named things exist is DeliveryValidator's job.
// Unknown keys are ignored and do not become part of the delivery.
class DeliveryParser
{
public:
    static constexpr int maxNameLength = 256;
    static constexpr int maxTrackingCodeLength = 128;
    static constexpr int maxNotificationIds = 100;
    static constexpr int maxCalendarItems = 100;
    static constexpr qint64 maxOpenDuration = 86400;
    static constexpr qint64 maxDatetime = 4294967295LL;
    static constexpr qint64 maxCalendarDuration = 4294967295LL;

    // The "delivery" of an AddDelivery request; error paths start with "delivery".
    bool parseRequest(const QVariant &value);

    Delivery delivery() const;

    // After a failure: the path of the offending value (e.g.
    // "delivery.calendarItems[1].duration") and what is wrong with it.
    QString errorParameter() const;
    QString errorReason() const;
    // The delivery error a client is told with the failure: a gate or scanner
    // id that names no thing at all is a thing not found; NoError otherwise.
    DeliveryError errorDeliveryError() const;

private:
    bool readText(const QVariantMap &map, const QString &key, int maxLength, QString *text);
    bool readThingId(const QVariantMap &map, const QString &key, DeliveryError whenInvalid, QUuid *id);
    bool readOpenDuration(const QVariantMap &map);
    bool readNotificationIds(const QVariantMap &map);
    bool readCalendarItems(const QVariantMap &map);
    bool readCalendarItem(const QVariant &value, int index, CalendarItem *item);
    bool readBoundedNumber(const QVariant &value, const QString &path, qint64 min, qint64 max, qint64 *number);

    QString path(const QString &key) const;
    bool fail(const QString &parameter, const QString &reason);

    Delivery m_delivery;
    QString m_errorParameter;
    QString m_errorReason;
    DeliveryError m_errorDeliveryError = DeliveryError::NoError;
};

#endif // PLAVODELIVERY_DELIVERYPARSER_H
