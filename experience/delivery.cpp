#include "delivery.h"
#include "uuidtext.h"

#include <QJsonArray>

static const QString idKey = QStringLiteral("id");
static const QString nameKey = QStringLiteral("name");
static const QString trackingCodeKey = QStringLiteral("trackingCode");
static const QString gateIdKey = QStringLiteral("gateId");
static const QString scannerIdKey = QStringLiteral("scannerId");
static const QString notificationIdsKey = QStringLiteral("notificationIds");
static const QString openDurationKey = QStringLiteral("openDuration");
static const QString calendarItemsKey = QStringLiteral("calendarItems");
static const QString createdTimestampKey = QStringLiteral("createdTimestamp");
static const QString deliveredKey = QStringLiteral("delivered");
static const QString deliveredTimestampKey = QStringLiteral("deliveredTimestamp");
static const QString datetimeKey = QStringLiteral("datetime");
static const QString durationKey = QStringLiteral("duration");

// Every record lists these keys, whatever was sent.
Delivery::Delivery()
    : m_record{
        {idKey, Korvu::idText(QUuid())},
        {nameKey, QString()},
        {trackingCodeKey, QString()},
        {gateIdKey, Korvu::idText(QUuid())},
        {scannerIdKey, Korvu::idText(QUuid())},
        {createdTimestampKey, 0},
        {deliveredKey, false},
    }
{
}

Delivery::Delivery(const QJsonObject &record)
    : m_record(record)
{
}

QUuid Delivery::id() const { return uuidValue(idKey); }
void Delivery::setId(const QUuid &id) { m_record.insert(idKey, Korvu::idText(id)); }

QString Delivery::name() const { return m_record.value(nameKey).toString(); }
void Delivery::setName(const QString &name) { m_record.insert(nameKey, name); }
QString Delivery::trackingCode() const { return m_record.value(trackingCodeKey).toString(); }
void Delivery::setTrackingCode(const QString &trackingCode) { m_record.insert(trackingCodeKey, trackingCode); }
QUuid Delivery::gateId() const { return uuidValue(gateIdKey); }
void Delivery::setGateId(const QUuid &gateId) { m_record.insert(gateIdKey, Korvu::idText(gateId)); }
QUuid Delivery::scannerId() const { return uuidValue(scannerIdKey); }
void Delivery::setScannerId(const QUuid &scannerId) { m_record.insert(scannerIdKey, Korvu::idText(scannerId)); }

QList<QUuid> Delivery::notificationIds() const
{
    QList<QUuid> ids;
    const QJsonArray list = m_record.value(notificationIdsKey).toArray();
    for (const QJsonValue &id : list)
        ids.append(QUuid(id.toString()));
    return ids;
}

void Delivery::setNotificationIds(const QList<QUuid> &notificationIds)
{
    QJsonArray ids;
    for (const QUuid &id : notificationIds)
        ids.append(Korvu::idText(id));
    m_record.insert(notificationIdsKey, ids);
}

int Delivery::openDuration() const { return m_record.value(openDurationKey).toInt(defaultOpenDuration); }
void Delivery::setOpenDuration(int seconds) { m_record.insert(openDurationKey, seconds); }

QList<CalendarItem> Delivery::calendarItems() const
{
    QList<CalendarItem> items;
    const QJsonArray list = m_record.value(calendarItemsKey).toArray();
    for (const QJsonValue &value : list) {
        const QJsonObject item = value.toObject();
        // Stored numbers stay below 2^53, where a double is exact.
        items.append(CalendarItem(static_cast<qint64>(item.value(datetimeKey).toDouble()),
                                  static_cast<qint64>(item.value(durationKey).toDouble())));
    }
    return items;
}

void Delivery::setCalendarItems(const QList<CalendarItem> &calendarItems)
{
    QJsonArray items;
    for (const CalendarItem &item : calendarItems)
        items.append(QJsonObject{{datetimeKey, item.datetime()}, {durationKey, item.duration()}});
    m_record.insert(calendarItemsKey, items);
}

void Delivery::setCreatedTimestamp(qint64 secondsSinceEpoch)
{
    m_record.insert(createdTimestampKey, secondsSinceEpoch);
}

bool Delivery::isDelivered() const { return m_record.value(deliveredKey).toBool(); }

void Delivery::setDelivered(qint64 deliveredTimestamp)
{
    m_record.insert(deliveredKey, true);
    m_record.insert(deliveredTimestampKey, deliveredTimestamp);
}

QJsonObject Delivery::record() const { return m_record; }

QUuid Delivery::uuidValue(const QString &key) const { return QUuid(m_record.value(key).toString()); }
