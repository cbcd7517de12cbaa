#include "scripteddeliveryservice.h"

#include "deliverycalendar.h"
#include "deliverymocksids.h"
#include "deliveryparser.h"
#include "deliveryvalidator.h"
#include "idsource.h"
#include "scenario.h"
#include "scriptedthingmanager.h"
#include "thinginterfaces.h"
#include "trackingcodematcher.h"
#include "variantparser.h"

#include <QDateTime>
#include <QTimer>

using namespace DeliveryMocksIds;

namespace {

const QString deliveryIdKey = QStringLiteral("deliveryId");

MethodResult invalidParameter(const QString &method, const QString &parameter, const QString &reason,
                              const QJsonObject &params = QJsonObject())
{
    return MethodResult::error(QStringLiteral("PlavoDelivery.%1: parameter \"%2\" %3").arg(method, parameter, reason),
                               params);
}

MethodResult deliveryErrorResult(DeliveryError error, QJsonObject params = QJsonObject())
{
    params.insert(QStringLiteral("deliveryError"), deliveryErrorName(error));
    return MethodResult::success(params);
}

QString digitsOnly(const QString &code)
{
    QString digits;
    for (const QChar c : code) {
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
            digits.append(c);
    }
    return digits;
}

} // namespace

ScriptedDeliveryService::ScriptedDeliveryService(const Scenario &scenario, ScriptedThingManager *things, IdSource *ids,
                                                 QObject *parent)
    : QObject(parent)
    , m_scenario(scenario)
    , m_things(things)
    , m_ids(ids)
{
    connect(m_things, &ScriptedThingManager::codeScanned, this, &ScriptedDeliveryService::handleScan);
}

MethodResult ScriptedDeliveryService::status() const
{
    const bool available = !m_things->findThingsByInterface(ThingInterfaces::garageGate()).isEmpty()
                           && !m_things->findThingsByInterface(ThingInterfaces::parcelScanner()).isEmpty();
    return MethodResult::success({{"available", available}});
}

MethodResult ScriptedDeliveryService::addDelivery(const QJsonObject &params)
{
    const QString method = QStringLiteral("AddDelivery");
    if (!params.contains(QStringLiteral("delivery")))
        return invalidParameter(method, QStringLiteral("delivery"), QStringLiteral("is missing"));
    DeliveryParser parser;
    if (!parser.parseRequest(params.value(QStringLiteral("delivery")).toVariant())) {
        QJsonObject errorParams;
        if (parser.errorDeliveryError() != DeliveryError::NoError)
            errorParams.insert(QStringLiteral("deliveryError"), deliveryErrorName(parser.errorDeliveryError()));
        return invalidParameter(method, parser.errorParameter(), parser.errorReason(), errorParams);
    }
    Delivery delivery = parser.delivery();
    const DeliveryError error = DeliveryValidator(m_things).check(delivery);
    if (error != DeliveryError::NoError)
        return deliveryErrorResult(error);

    const QString idText = m_ids->nextDeliveryId();
    delivery.setId(QUuid::fromString(idText));
    delivery.setCreatedTimestamp(QDateTime::currentMSecsSinceEpoch() / 1000);
    m_deliveries.append(delivery);
    m_lastAddedId = idText;
    emit changed();
    return deliveryErrorResult(DeliveryError::NoError, {{deliveryIdKey, idText}});
}

MethodResult ScriptedDeliveryService::getDeliveries(const QJsonObject &params) const
{
    QUuid wanted;
    const bool filtered = params.contains(deliveryIdKey);
    if (filtered && !VariantParser::toUuid(params.value(deliveryIdKey).toVariant(), &wanted))
        return invalidParameter(QStringLiteral("GetDeliveries"), deliveryIdKey, QStringLiteral("must be a UUID"));
    QJsonArray list;
    for (const Delivery &delivery : m_deliveries) {
        if (!filtered || delivery.id() == wanted)
            list.append(delivery.record());
    }
    return MethodResult::success({{"deliveries", list}});
}

MethodResult ScriptedDeliveryService::removeDelivery(const QJsonObject &params)
{
    const QString method = QStringLiteral("RemoveDelivery");
    QUuid id;
    if (!params.contains(deliveryIdKey))
        return invalidParameter(method, deliveryIdKey, QStringLiteral("is missing"));
    if (!VariantParser::toUuid(params.value(deliveryIdKey).toVariant(), &id))
        return invalidParameter(method, deliveryIdKey, QStringLiteral("must be a UUID"));
    const int index = indexOf(id);
    if (index < 0)
        return deliveryErrorResult(DeliveryError::DeliveryNotFound);
    const Delivery removed = m_deliveries.takeAt(index);
    if (!m_scenario.persistRemovals)
        m_forgottenRemovals.append(removed.record());
    m_granted.remove(id);
    emit changed();
    return deliveryErrorResult(DeliveryError::NoError);
}

QString ScriptedDeliveryService::lastAddedId() const { return m_lastAddedId; }

void ScriptedDeliveryService::restore(const QJsonArray &records)
{
    for (const QJsonValue &value : records)
        m_deliveries.append(Delivery(value.toObject()));
}

QJsonArray ScriptedDeliveryService::toJson() const
{
    QJsonArray records;
    for (const Delivery &delivery : m_deliveries)
        records.append(delivery.record());
    for (const QJsonValue &record : m_forgottenRemovals)
        records.append(record);
    return records;
}

void ScriptedDeliveryService::handleScan(MockThing *scanner, const QString &code)
{
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    for (const Delivery &delivery : qAsConst(m_deliveries)) {
        if (delivery.scannerId() != scanner->id() || delivery.isDelivered() || m_granted.contains(delivery.id()))
            continue;
        if (codesMatch(delivery.trackingCode(), code)
            && (m_scenario.ignoreCalendar || DeliveryCalendar::allows(delivery.calendarItems(), now))) {
            grant(delivery, scanner);
            return;
        }
    }
    execute(scanner->id(), parcelScannerRejectActionTypeId);
}

bool ScriptedDeliveryService::codesMatch(const QString &registered, const QString &scanned) const
{
    switch (m_scenario.codeMatch) {
    case Scenario::CodeMatch::Exact:
        return registered == scanned;
    case Scenario::CodeMatch::DigitsOnly:
        return TrackingCodeMatcher::matches(digitsOnly(registered), digitsOnly(scanned));
    case Scenario::CodeMatch::Normalised:
        break;
    }
    return TrackingCodeMatcher::matches(registered, scanned);
}

void ScriptedDeliveryService::grant(const Delivery &delivery, MockThing *scanner)
{
    const qint64 scanMSecs = QDateTime::currentMSecsSinceEpoch();
    m_granted.insert(delivery.id());
    execute(scanner->id(), parcelScannerAcceptActionTypeId);
    execute(delivery.gateId(), garageGateOpenActionTypeId);
    if (m_scenario.notify) {
        const QList<QUuid> notificationIds = delivery.notificationIds();
        for (const QUuid &id : notificationIds)
            execute(id, notificationDeviceNotifyActionTypeId);
    }
    const QUuid id = delivery.id();
    QTimer::singleShot(delivery.openDuration() * 1000, Qt::PreciseTimer, this,
                       [this, id, scanMSecs] { closeGate(id, scanMSecs); });
}

// Actions on things that are gone, or of another class, are left out, as the
// experience leaves them out.
void ScriptedDeliveryService::execute(const QUuid &thingId, const QUuid &actionTypeId)
{
    m_things->executeAction(Action{thingId, actionTypeId, {}});
}

void ScriptedDeliveryService::closeGate(const QUuid &deliveryId, qint64 scanMSecs)
{
    const int index = indexOf(deliveryId);
    if (index < 0)
        return;
    if (MockThing *gate = m_things->findMockThing(m_deliveries.at(index).gateId())) {
        execute(gate->id(), garageGateCloseActionTypeId);
        if (gate->isGateOpen())
            return;
    }
    markDelivered(deliveryId, scanMSecs);
}

void ScriptedDeliveryService::markDelivered(const QUuid &deliveryId, qint64 scanMSecs)
{
    const qint64 timestamp = m_scenario.deliveredTime == Scenario::DeliveredTime::ScanRoundedDown
                                 ? scanMSecs / 1000
                                 : (QDateTime::currentMSecsSinceEpoch() + 999) / 1000;
    m_deliveries[indexOf(deliveryId)].setDelivered(timestamp);
    m_granted.remove(deliveryId);
    emit changed();
}

int ScriptedDeliveryService::indexOf(const QUuid &id) const
{
    for (int i = 0; i < m_deliveries.count(); ++i) {
        if (m_deliveries.at(i).id() == id)
            return i;
    }
    return -1;
}
