#ifndef PLAVODELIVERY_DELIVERY_H
#define PLAVODELIVERY_DELIVERY_H

#include "calendaritem.h"

#include <QJsonObject>
#include <QList>
#include <QString>
#include <QUuid>

// One expected delivery, held as nothing but its listed record: the JSON
// object that GetDeliveries shows and the store keeps. The accessors read
// and write that record, so there is no second copy to keep in step.
// The optional keys a client may leave out (notificationIds, openDuration,
// calendarItems) are simply absent when they were not sent.
class Delivery
{
public:
    static constexpr int defaultOpenDuration = 30;

    Delivery();
    // Takes a record as a Delivery wrote it earlier, without checking it again.
    explicit Delivery(const QJsonObject &record);

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

    QList<QUuid> notificationIds() const;
    void setNotificationIds(const QList<QUuid> &notificationIds);

    // Seconds; the default when none was sent.
    int openDuration() const;
    void setOpenDuration(int seconds);

    QList<CalendarItem> calendarItems() const;
    void setCalendarItems(const QList<CalendarItem> &calendarItems);

    void setCreatedTimestamp(qint64 secondsSinceEpoch);

    bool isDelivered() const;
    void setDelivered(qint64 deliveredTimestamp);

    // The listed (and stored) form.
    QJsonObject record() const;

private:
    QUuid uuidValue(const QString &key) const;

    QJsonObject m_record;
};

#endif // PLAVODELIVERY_DELIVERY_H
