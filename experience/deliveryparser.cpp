#include "deliveryparser.h"
#include "variantparser.h"

using namespace VariantParser;

static const QString rootKey = QStringLiteral("delivery");
static const QString calendarItemsKey = QStringLiteral("calendarItems");

bool DeliveryParser::parseRequest(const QVariant &value)
{
    m_delivery = Delivery();
    if (!isMap(value))
        return fail(rootKey, QStringLiteral("must be an object"));

    const QVariantMap map = value.toMap();
    QString name;
    QString trackingCode;
    QUuid gateId;
    QUuid scannerId;
    if (!readThingId(map, QStringLiteral("gateId"), DeliveryError::GateNotFound, &gateId)
        || !readThingId(map, QStringLiteral("scannerId"), DeliveryError::ScannerNotFound, &scannerId)
        || !readText(map, QStringLiteral("name"), maxNameLength, &name)
        || !readText(map, QStringLiteral("trackingCode"), maxTrackingCodeLength, &trackingCode)
        || !readOpenDuration(map) || !readNotificationIds(map) || !readCalendarItems(map))
        return false;

    m_delivery.setGateId(gateId);
    m_delivery.setScannerId(scannerId);
    m_delivery.setName(name);
    m_delivery.setTrackingCode(trackingCode);
    return true;
}

Delivery DeliveryParser::delivery() const { return m_delivery; }
QString DeliveryParser::errorParameter() const { return m_errorParameter; }
QString DeliveryParser::errorReason() const { return m_errorReason; }
DeliveryError DeliveryParser::errorDeliveryError() const { return m_errorDeliveryError; }

bool DeliveryParser::readText(const QVariantMap &map, const QString &key, int maxLength, QString *text)
{
    // A missing text is empty; DeliveryValidator reports that by name.
    if (!map.contains(key))
        return true;
    const QVariant value = map.value(key);
    if (!isString(value))
        return fail(path(key), QStringLiteral("must be a string"));
    if (value.toString().size() > maxLength)
        return fail(path(key), QStringLiteral("must not be longer than %1 characters").arg(maxLength));
    // Broken surrogate pairs would not survive storage unchanged.
    if (!value.toString().isValidUtf16())
        return fail(path(key), QStringLiteral("must be valid text"));
    *text = value.toString();
    return true;
}

bool DeliveryParser::readThingId(const QVariantMap &map, const QString &key, DeliveryError whenInvalid, QUuid *id)
{
    QString reason;
    if (!map.contains(key))
        reason = QStringLiteral("is missing");
    else if (!toUuid(map.value(key), id))
        reason = QStringLiteral("must be a UUID");
    else if (id->isNull())
        reason = QStringLiteral("must not be the null UUID");
    else
        return true;
    fail(path(key), reason);
    m_errorDeliveryError = whenInvalid;
    return false;
}

bool DeliveryParser::readOpenDuration(const QVariantMap &map)
{
    const QString key = QStringLiteral("openDuration");
    if (!map.contains(key))
        return true;
    qint64 seconds = 0;
    if (!readBoundedNumber(map.value(key), path(key), 1, maxOpenDuration, &seconds))
        return false;
    m_delivery.setOpenDuration(static_cast<int>(seconds));
    return true;
}

bool DeliveryParser::readNotificationIds(const QVariantMap &map)
{
    const QString key = QStringLiteral("notificationIds");
    if (!map.contains(key))
        return true;
    const QVariant value = map.value(key);
    if (!isList(value))
        return fail(path(key), QStringLiteral("must be a list of UUIDs"));
    const QVariantList list = value.toList();
    if (list.size() > maxNotificationIds)
        return fail(path(key), QStringLiteral("must not hold more than %1 entries").arg(maxNotificationIds));

    QList<QUuid> ids;
    for (int i = 0; i < list.size(); ++i) {
        QUuid id;
        if (!toUuid(list.at(i), &id))
            return fail(QStringLiteral("%1[%2]").arg(path(key)).arg(i), QStringLiteral("must be a UUID"));
        ids.append(id);
    }
    m_delivery.setNotificationIds(ids);
    return true;
}

bool DeliveryParser::readCalendarItems(const QVariantMap &map)
{
    const QString key = calendarItemsKey;
    if (!map.contains(key))
        return true;
    const QVariant value = map.value(key);
    if (!isList(value))
        return fail(path(key), QStringLiteral("must be a list of calendar items"));
    const QVariantList list = value.toList();
    if (list.size() > maxCalendarItems)
        return fail(path(key), QStringLiteral("must not hold more than %1 entries").arg(maxCalendarItems));

    QList<CalendarItem> items;
    for (int i = 0; i < list.size(); ++i) {
        CalendarItem item;
        if (!readCalendarItem(list.at(i), i, &item))
            return false;
        items.append(item);
    }
    m_delivery.setCalendarItems(items);
    return true;
}

bool DeliveryParser::readCalendarItem(const QVariant &value, int index, CalendarItem *item)
{
    const QString itemPath = QStringLiteral("%1[%2]").arg(path(calendarItemsKey)).arg(index);
    if (!isMap(value))
        return fail(itemPath, QStringLiteral("must be an object with \"datetime\" and \"duration\""));

    const QVariantMap map = value.toMap();
    qint64 datetime = 0;
    qint64 duration = 0;
    const QString datetimePath = itemPath + QStringLiteral(".datetime");
    const QString durationPath = itemPath + QStringLiteral(".duration");
    if (!map.contains(QStringLiteral("datetime")))
        return fail(datetimePath, QStringLiteral("is missing"));
    if (!map.contains(QStringLiteral("duration")))
        return fail(durationPath, QStringLiteral("is missing"));
    if (!readBoundedNumber(map.value(QStringLiteral("datetime")), datetimePath, 0, maxDatetime, &datetime)
        || !readBoundedNumber(map.value(QStringLiteral("duration")), durationPath, 1, maxCalendarDuration, &duration))
        return false;
    *item = CalendarItem(datetime, duration);
    return true;
}

bool DeliveryParser::readBoundedNumber(const QVariant &value, const QString &path, qint64 min, qint64 max,
                                       qint64 *number)
{
    if (!toWholeNumber(value, number) || *number < min || *number > max)
        return fail(path, QStringLiteral("must be an integer from %1 to %2").arg(min).arg(max));
    return true;
}

QString DeliveryParser::path(const QString &key) const { return rootKey + QLatin1Char('.') + key; }

bool DeliveryParser::fail(const QString &parameter, const QString &reason)
{
    m_errorParameter = parameter;
    m_errorReason = reason;
    m_errorDeliveryError = DeliveryError::NoError;
    return false;
}
