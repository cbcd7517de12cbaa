#include "deliveryflow.h"
#include "deliverycalendar.h"
#include "deliverystore.h"
#include "gatecycle.h"
#include "logtext.h"
#include "plavoexperiencelogging.h"
#include "thingactions.h"
#include "thinginterfaces.h"
#include "thingmanager.h"
#include "trackingcodematcher.h"

#include <QDateTime>
#include <QSet>

DeliveryFlow::DeliveryFlow(ThingManager *thingManager, DeliveryStore *store, QObject *parent)
    : QObject(parent)
    , m_thingManager(thingManager)
    , m_store(store)
{
    connect(m_thingManager, &ThingManager::eventTriggered, this, &DeliveryFlow::onEventTriggered);
}

void DeliveryFlow::setCloseConfirmationTimeout(int msecs) { m_closeConfirmationTimeout = msecs; }

bool DeliveryFlow::isCycleRunning(const QUuid &deliveryId) const { return m_cycles.contains(deliveryId); }

void DeliveryFlow::onEventTriggered(const Event &event)
{
    Thing *scanner = m_thingManager->findThing(event.thingId);
    if (!scanner || !scanner->thingClass().hasInterface(ThingInterfaces::parcelScanner()))
        return;
    if (scanner->thingClass().eventType(event.eventTypeId).name != QLatin1String("codeScanned"))
        return;
    handleScan(scanner, event.params.value(QStringLiteral("content")).toString());
}

void DeliveryFlow::handleScan(Thing *scanner, const QString &scannedCode)
{
    const Delivery delivery = findGrantableDelivery(scanner->id(), scannedCode);
    if (delivery.id().isNull()) {
        qCDebug(dcPlavoExperience) << "Rejecting scan" << LogText::shortened(scannedCode) << "of scanner"
                                   << scanner->id();
        ThingActions::execute(m_thingManager, scanner, QStringLiteral("reject"));
        return;
    }
    qCDebug(dcPlavoExperience) << "Granting scan" << LogText::shortened(scannedCode) << "for delivery" << delivery.id()
                               << LogText::shortened(delivery.name());
    grant(scanner, delivery);
}

Delivery DeliveryFlow::findGrantableDelivery(const QUuid &scannerId, const QString &scannedCode) const
{
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    for (int i = 0; i < m_store->count(); ++i) {
        const Delivery delivery = m_store->at(i);
        if (delivery.isDelivered() || delivery.scannerId() != scannerId || m_cycles.contains(delivery.id()))
            continue;
        if (!TrackingCodeMatcher::matches(delivery.trackingCode(), scannedCode)
            || !DeliveryCalendar::allows(delivery.calendarItems(), now))
            continue;
        if (hasUsableGate(delivery))
            return delivery;
    }
    return Delivery();
}

bool DeliveryFlow::hasUsableGate(const Delivery &delivery) const
{
    const Thing *gate = m_thingManager->findThing(delivery.gateId());
    if (gate && gate->thingClass().hasInterface(ThingInterfaces::garageGate()))
        return true;
    qCWarning(dcPlavoExperience) << "Delivery" << delivery.id() << "matches, but its gate" << delivery.gateId()
                                 << "is gone";
    return false;
}

void DeliveryFlow::grant(Thing *scanner, const Delivery &delivery)
{
    // Registered before the first action runs, so that a scan arriving while
    // the actions execute cannot grant the same delivery again.
    GateCycle *cycle = createGateCycle(delivery);
    ThingActions::execute(m_thingManager, scanner, QStringLiteral("accept"));
    cycle->start();
    notify(delivery);
}

GateCycle *DeliveryFlow::createGateCycle(const Delivery &delivery)
{
    auto cycle = new GateCycle(m_thingManager, delivery.id(), delivery.gateId(), this);
    cycle->setOpenDuration(delivery.openDuration() * 1000);
    cycle->setCloseConfirmationTimeout(m_closeConfirmationTimeout);
    connect(cycle, &GateCycle::finished, this, &DeliveryFlow::onCycleFinished);
    m_cycles.insert(delivery.id(), cycle);
    return cycle;
}

void DeliveryFlow::notify(const Delivery &delivery)
{
    const QVariantMap params{
        {QStringLiteral("title"), QStringLiteral("Delivery arrived")},
        {QStringLiteral("body"), QStringLiteral("Your delivery \"%1\" has arrived.").arg(delivery.name())},
    };
    QSet<QUuid> notified;
    const QList<QUuid> ids = delivery.notificationIds();
    for (const QUuid &id : ids) {
        if (notified.contains(id))
            continue;
        notified.insert(id);
        Thing *device = m_thingManager->findThing(id);
        if (!device || !device->thingClass().hasInterface(ThingInterfaces::notifications())) {
            qCWarning(dcPlavoExperience) << "Notification device" << id << "of delivery" << delivery.id() << "is gone";
            continue;
        }
        ThingActions::execute(m_thingManager, device, QStringLiteral("notify"), params);
    }
}

void DeliveryFlow::onCycleFinished(const QUuid &deliveryId, qint64 closedAtMSecsSinceEpoch)
{
    GateCycle *cycle = m_cycles.take(deliveryId);
    if (cycle)
        cycle->deleteLater();
    if (!m_store->contains(deliveryId)) {
        qCDebug(dcPlavoExperience) << "Delivery" << deliveryId << "was removed while its gate was open";
        return;
    }
    // Rounded up: the stored second must never lie before the real moment.
    const qint64 deliveredTimestamp = (closedAtMSecsSinceEpoch + 999) / 1000;
    QString error;
    if (!m_store->markDelivered(deliveryId, deliveredTimestamp, &error)) {
        qCWarning(dcPlavoExperience) << "Cannot store delivery" << deliveryId << "as delivered:" << error;
        return;
    }
    qCDebug(dcPlavoExperience) << "Delivery" << deliveryId << "delivered at" << deliveredTimestamp;
}
