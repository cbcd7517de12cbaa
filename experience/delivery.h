#ifndef DELIVERY_H
#define DELIVERY_H

#include "calendaritem.h"

#include <QList>
#include <QString>
#include <QUuid>
#include <QVariantMap>

// One expected delivery. The optional keys a client may leave out
// (notificationIds, openDuration, calendarItems) remember whether they were
// sent, so that a listing shows exactly what was registered.
class Delivery
{
public:
    static constexpr int defaultOpenDuration = 30;

    QUuid id() const;
    void setId(const QUuid &id);

    QString name() const;
    void setName(const QString &name);
    QString trackingCode() const;
    void setTrackingCode(const QString &trackingCode);
    QUuid gateId() const;
    void setGateId(const QUuid &gateId);
    QUuid scannerId() const;
    void setScannerId(const QUuid &scannerId);

    bool hasNotificationIds() const;
    QList<QUuid> notificationIds() const;
    void setNotificationIds(const QList<QUuid> &notificationIds);

    bool hasOpenDuration() const;
    // Seconds; the default when none was sent.
    int openDuration() const;
    void setOpenDuration(int seconds);

    bool hasCalendarItems() const;
    QList<CalendarItem> calendarItems() const;
    void setCalendarItems(const QList<CalendarItem> &calendarItems);

    qint64 createdTimestamp() const;
    void setCreatedTimestamp(qint64 secondsSinceEpoch);

    bool isDelivered() const;
    qint64 deliveredTimestamp() const;
    void setDelivered(qint64 deliveredTimestamp);

    // The listed (and stored) form of the record.
    QVariantMap toVariantMap() const;

private:
    QUuid m_id;
    QString m_name;
    QString m_trackingCode;
    QUuid m_gateId;
    QUuid m_scannerId;
    bool m_hasNotificationIds = false;
    QList<QUuid> m_notificationIds;
    bool m_hasOpenDuration = false;
    int m_openDuration = defaultOpenDuration;
    bool m_hasCalendarItems = false;
    QList<CalendarItem> m_calendarItems;
    qint64 m_createdTimestamp = 0;
    bool m_delivered = false;
    qint64 m_deliveredTimestamp = 0;
};

#endif // DELIVERY_H
