#include "delivery.h"
#include "variantparser.h"

QUuid Delivery::id() const { return m_id; }
void Delivery::setId(const QUuid &id) { m_id = id; }

QString Delivery::name() const { return m_name; }
void Delivery::setName(const QString &name) { m_name = name; }
QString Delivery::trackingCode() const { return m_trackingCode; }
void Delivery::setTrackingCode(const QString &trackingCode) { m_trackingCode = trackingCode; }
QUuid Delivery::gateId() const { return m_gateId; }
void Delivery::setGateId(const QUuid &gateId) { m_gateId = gateId; }
QUuid Delivery::scannerId() const { return m_scannerId; }
void Delivery::setScannerId(const QUuid &scannerId) { m_scannerId = scannerId; }

bool Delivery::hasNotificationIds() const { return m_hasNotificationIds; }
QList<QUuid> Delivery::notificationIds() const { return m_notificationIds; }

void Delivery::setNotificationIds(const QList<QUuid> &notificationIds)
{
    m_hasNotificationIds = true;
    m_notificationIds = notificationIds;
}

bool Delivery::hasOpenDuration() const { return m_hasOpenDuration; }
int Delivery::openDuration() const { return m_openDuration; }

void Delivery::setOpenDuration(int seconds)
{
    m_hasOpenDuration = true;
    m_openDuration = seconds;
}

bool Delivery::hasCalendarItems() const { return m_hasCalendarItems; }
QList<CalendarItem> Delivery::calendarItems() const { return m_calendarItems; }

void Delivery::setCalendarItems(const QList<CalendarItem> &calendarItems)
{
    m_hasCalendarItems = true;
    m_calendarItems = calendarItems;
}

qint64 Delivery::createdTimestamp() const { return m_createdTimestamp; }
void Delivery::setCreatedTimestamp(qint64 secondsSinceEpoch) { m_createdTimestamp = secondsSinceEpoch; }

bool Delivery::isDelivered() const { return m_delivered; }
qint64 Delivery::deliveredTimestamp() const { return m_deliveredTimestamp; }

void Delivery::setDelivered(qint64 deliveredTimestamp)
{
    m_delivered = true;
    m_deliveredTimestamp = deliveredTimestamp;
}

QVariantMap Delivery::toVariantMap() const
{
    QVariantMap map{
        {QStringLiteral("id"), VariantParser::uuidText(m_id)},
        {QStringLiteral("name"), m_name},
        {QStringLiteral("trackingCode"), m_trackingCode},
        {QStringLiteral("gateId"), VariantParser::uuidText(m_gateId)},
        {QStringLiteral("scannerId"), VariantParser::uuidText(m_scannerId)},
        {QStringLiteral("createdTimestamp"), m_createdTimestamp},
        {QStringLiteral("delivered"), m_delivered},
    };
    if (m_hasNotificationIds) {
        QVariantList ids;
        for (const QUuid &id : m_notificationIds)
            ids.append(VariantParser::uuidText(id));
        map.insert(QStringLiteral("notificationIds"), ids);
    }
    if (m_hasOpenDuration)
        map.insert(QStringLiteral("openDuration"), m_openDuration);
    if (m_hasCalendarItems) {
        QVariantList items;
        for (const CalendarItem &item : m_calendarItems)
            items.append(item.toVariantMap());
        map.insert(QStringLiteral("calendarItems"), items);
    }
    if (m_delivered)
        map.insert(QStringLiteral("deliveredTimestamp"), m_deliveredTimestamp);
    return map;
}
