#include "deliveryservice.h"

#include "idsource.h"
#include "mockids.h"
#include "thingregistry.h"

#include <QDateTime>
#include <QTimer>

#include <cmath>

namespace {

const int defaultOpenDuration = 30;
const int longestOpenDuration = 86400;

bool isWholeNumber(const QJsonValue &value)
{
    return value.isDouble() && std::floor(value.toDouble()) == value.toDouble();
}

QUuid uuidOf(const QJsonValue &value) { return value.isString() ? QUuid::fromString(value.toString()) : QUuid(); }

QString bare(const QUuid &id) { return id.toString(QUuid::WithoutBraces); }

bool isBlank(const QJsonValue &value) { return value.toString().trimmed().isEmpty(); }

} // namespace

DeliveryService::DeliveryService(const Scenario &scenario, ThingRegistry *things, IdSource *ids, QObject *parent)
    : QObject(parent)
    , m_scenario(scenario)
    , m_things(things)
    , m_ids(ids)
    , m_matcher(scenario.codeMatch)
{
    connect(m_things, &ThingRegistry::codeScanned, this, &DeliveryService::handleScan);
}

MethodResult DeliveryService::status() const
{
    const bool available = m_things->firstOfKind(MockThing::Kind::Gate)
                           && m_things->firstOfKind(MockThing::Kind::Scanner);
    return MethodResult::success({{"available", available}});
}

MethodResult DeliveryService::addDelivery(const QJsonObject &params)
{
    if (!params.value("delivery").isObject())
        return MethodResult::error(
            QStringLiteral("PlavoDelivery.AddDelivery: parameter \"delivery\" must be an object"));
    const QJsonObject delivery = params.value("delivery").toObject();
    const QString invalid = validationError(delivery);
    if (!invalid.isEmpty())
        return MethodResult::error(QStringLiteral("PlavoDelivery.AddDelivery: ") + invalid);
    const QString error = deliveryError(delivery);
    if (error != "DeliveryErrorNoError")
        return MethodResult::success({{"deliveryError", error}});

    QJsonObject record = storedRecord(delivery);
    const QString idText = m_ids->nextDeliveryId();
    record.insert("id", idText);
    record.insert("delivered", false);
    record.insert("createdTimestamp", QDateTime::currentMSecsSinceEpoch() / 1000);
    m_deliveries.append({QUuid::fromString(idText), record});
    m_lastAddedId = idText;
    emit changed();
    return MethodResult::success({{"deliveryError", error}, {"deliveryId", idText}});
}

MethodResult DeliveryService::getDeliveries(const QJsonObject &params) const
{
    const bool filtered = params.contains("deliveryId");
    const QUuid wanted = uuidOf(params.value("deliveryId"));
    if (filtered && wanted.isNull())
        return MethodResult::error(
            QStringLiteral("PlavoDelivery.GetDeliveries: parameter \"deliveryId\" must be a UUID"));
    QJsonArray list;
    for (const Delivery &delivery : m_deliveries) {
        if (!filtered || delivery.id == wanted)
            list.append(delivery.record);
    }
    return MethodResult::success({{"deliveries", list}});
}

MethodResult DeliveryService::removeDelivery(const QJsonObject &params)
{
    const QUuid id = uuidOf(params.value("deliveryId"));
    if (id.isNull())
        return MethodResult::error(
            QStringLiteral("PlavoDelivery.RemoveDelivery: parameter \"deliveryId\" must be a UUID"));
    const int index = indexOf(id);
    if (index < 0)
        return MethodResult::success({{"deliveryError", "DeliveryErrorDeliveryNotFound"}});
    const Delivery removed = m_deliveries.takeAt(index);
    if (!m_scenario.persistRemovals)
        m_forgottenRemovals.append(removed.record);
    m_granted.remove(id);
    emit changed();
    return MethodResult::success({{"deliveryError", "DeliveryErrorNoError"}});
}

QString DeliveryService::lastAddedId() const { return m_lastAddedId; }

void DeliveryService::restore(const QJsonArray &records)
{
    for (const QJsonValue &value : records) {
        const QJsonObject record = value.toObject();
        m_deliveries.append({uuidOf(record.value("id")), record});
    }
}

QJsonArray DeliveryService::toJson() const
{
    QJsonArray records;
    for (const Delivery &delivery : m_deliveries)
        records.append(delivery.record);
    for (const QJsonValue &record : m_forgottenRemovals)
        records.append(record);
    return records;
}

void DeliveryService::handleScan(MockThing *scanner, const QString &code)
{
    const qint64 nowSeconds = QDateTime::currentMSecsSinceEpoch() / 1000;
    for (const Delivery &delivery : qAsConst(m_deliveries)) {
        const QJsonObject &record = delivery.record;
        if (uuidOf(record.value("scannerId")) != scanner->id() || record.value("delivered").toBool()
            || m_granted.contains(delivery.id))
            continue;
        if (m_matcher.matches(record.value("trackingCode").toString(), code) && calendarAllows(record, nowSeconds)) {
            grant(delivery, scanner);
            return;
        }
    }
    scanner->executeAction(MockIds::rejectAction);
}

bool DeliveryService::calendarAllows(const QJsonObject &record, qint64 nowSeconds) const
{
    const QJsonArray items = record.value("calendarItems").toArray();
    if (items.isEmpty() || m_scenario.ignoreCalendar)
        return true;
    for (const QJsonValue &value : items) {
        const qint64 start = static_cast<qint64>(value.toObject().value("datetime").toDouble());
        const qint64 duration = static_cast<qint64>(value.toObject().value("duration").toDouble());
        if (start <= nowSeconds && nowSeconds < start + duration)
            return true;
    }
    return false;
}

void DeliveryService::grant(const Delivery &delivery, MockThing *scanner)
{
    const qint64 scanMSecs = QDateTime::currentMSecsSinceEpoch();
    m_granted.insert(delivery.id);
    scanner->executeAction(MockIds::acceptAction);
    if (MockThing *gate = m_things->findThing(uuidOf(delivery.record.value("gateId"))))
        gate->executeAction(MockIds::openAction);
    const QJsonArray notificationIds = delivery.record.value("notificationIds").toArray();
    for (const QJsonValue &id : notificationIds) {
        MockThing *device = m_things->findThing(uuidOf(id));
        if (device && m_scenario.notify)
            device->executeAction(MockIds::notifyAction);
    }
    const int openDuration = delivery.record.value("openDuration").toInt(defaultOpenDuration);
    const QUuid id = delivery.id;
    QTimer::singleShot(openDuration * 1000, Qt::PreciseTimer, this,
                       [this, id, scanMSecs] { closeGate(id, scanMSecs); });
}

void DeliveryService::closeGate(const QUuid &deliveryId, qint64 scanMSecs)
{
    const int index = indexOf(deliveryId);
    if (index < 0)
        return;
    MockThing *gate = m_things->findThing(uuidOf(m_deliveries.at(index).record.value("gateId")));
    if (gate) {
        gate->executeAction(MockIds::closeAction);
        if (gate->isGateOpen())
            return;
    }
    markDelivered(deliveryId, scanMSecs);
}

void DeliveryService::markDelivered(const QUuid &deliveryId, qint64 scanMSecs)
{
    const int index = indexOf(deliveryId);
    const qint64 nowMSecs = QDateTime::currentMSecsSinceEpoch();
    const qint64 timestamp = m_scenario.deliveredTime == Scenario::DeliveredTime::ScanRoundedDown
                                 ? scanMSecs / 1000
                                 : (nowMSecs + 999) / 1000;
    QJsonObject &record = m_deliveries[index].record;
    record.insert("delivered", true);
    record.insert("deliveredTimestamp", timestamp);
    m_granted.remove(deliveryId);
    emit changed();
}

QString DeliveryService::validationError(const QJsonObject &delivery) const
{
    if (uuidOf(delivery.value("gateId")).isNull())
        return QStringLiteral("parameter \"gateId\" must be a UUID that is not null");
    if (uuidOf(delivery.value("scannerId")).isNull())
        return QStringLiteral("parameter \"scannerId\" must be a UUID that is not null");
    for (const char *key : {"name", "trackingCode"}) {
        if (delivery.contains(key) && !delivery.value(key).isString())
            return QStringLiteral("parameter \"%1\" must be a string").arg(key);
    }
    if (delivery.contains("openDuration")) {
        const QJsonValue openDuration = delivery.value("openDuration");
        if (!isWholeNumber(openDuration) || openDuration.toDouble() < 1
            || openDuration.toDouble() > longestOpenDuration)
            return QStringLiteral("parameter \"openDuration\" must be an integer from 1 to %1")
                .arg(longestOpenDuration);
    }
    const QJsonArray notificationIds = delivery.value("notificationIds").toArray();
    if (delivery.contains("notificationIds") && !delivery.value("notificationIds").isArray())
        return QStringLiteral("parameter \"notificationIds\" must be a list");
    for (const QJsonValue &id : notificationIds) {
        if (uuidOf(id).isNull())
            return QStringLiteral("parameter \"notificationIds\" must hold UUIDs");
    }
    if (delivery.contains("calendarItems") && !delivery.value("calendarItems").isArray())
        return QStringLiteral("parameter \"calendarItems\" must be a list");
    const QJsonArray items = delivery.value("calendarItems").toArray();
    for (const QJsonValue &item : items) {
        const QJsonValue datetime = item.toObject().value("datetime");
        const QJsonValue duration = item.toObject().value("duration");
        if (!isWholeNumber(datetime) || datetime.toDouble() < 0 || !isWholeNumber(duration) || duration.toDouble() <= 0)
            return QStringLiteral("parameter \"calendarItems\" must hold {datetime, duration > 0} in whole seconds");
    }
    return QString();
}

QString DeliveryService::deliveryError(const QJsonObject &delivery) const
{
    if (isBlank(delivery.value("name")))
        return QStringLiteral("DeliveryErrorInvalidName");
    if (isBlank(delivery.value("trackingCode")))
        return QStringLiteral("DeliveryErrorInvalidTrackingCode");
    const MockThing *gate = m_things->findThing(uuidOf(delivery.value("gateId")));
    if (!gate || gate->kind() != MockThing::Kind::Gate)
        return QStringLiteral("DeliveryErrorGateNotFound");
    const MockThing *scanner = m_things->findThing(uuidOf(delivery.value("scannerId")));
    if (!scanner || scanner->kind() != MockThing::Kind::Scanner)
        return QStringLiteral("DeliveryErrorScannerNotFound");
    const QJsonArray notificationIds = delivery.value("notificationIds").toArray();
    for (const QJsonValue &id : notificationIds) {
        const MockThing *device = m_things->findThing(uuidOf(id));
        if (!device || device->kind() != MockThing::Kind::Notifier)
            return QStringLiteral("DeliveryErrorNotificationDeviceNotFound");
    }
    return QStringLiteral("DeliveryErrorNoError");
}

QJsonObject DeliveryService::storedRecord(const QJsonObject &delivery) const
{
    QJsonObject record;
    for (const char *key : {"name", "trackingCode"}) {
        if (delivery.contains(key))
            record.insert(key, delivery.value(key));
    }
    record.insert("gateId", bare(uuidOf(delivery.value("gateId"))));
    record.insert("scannerId", bare(uuidOf(delivery.value("scannerId"))));
    if (delivery.contains("notificationIds")) {
        QJsonArray ids;
        const QJsonArray sent = delivery.value("notificationIds").toArray();
        for (const QJsonValue &id : sent)
            ids.append(bare(uuidOf(id)));
        record.insert("notificationIds", ids);
    }
    if (delivery.contains("openDuration"))
        record.insert("openDuration", static_cast<qint64>(delivery.value("openDuration").toDouble()));
    if (delivery.contains("calendarItems")) {
        QJsonArray items;
        const QJsonArray sent = delivery.value("calendarItems").toArray();
        for (const QJsonValue &item : sent) {
            items.append(QJsonObject{
                {"datetime", static_cast<qint64>(item.toObject().value("datetime").toDouble())},
                {"duration", static_cast<qint64>(item.toObject().value("duration").toDouble())},
            });
        }
        record.insert("calendarItems", items);
    }
    return record;
}

int DeliveryService::indexOf(const QUuid &id) const
{
    for (int i = 0; i < m_deliveries.count(); ++i) {
        if (m_deliveries.at(i).id == id)
            return i;
    }
    return -1;
}
