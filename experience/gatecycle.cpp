#include "gatecycle.h"
#include "plavoexperiencelogging.h"
#include "thingactions.h"
#include "thingmanager.h"

#include <QDateTime>

static const QString gateStateName = QStringLiteral("state");
static const QString closedValue = QStringLiteral("closed");

GateCycle::GateCycle(ThingManager *thingManager, const QUuid &deliveryId, const QUuid &gateId, QObject *parent)
    : QObject(parent)
    , m_thingManager(thingManager)
    , m_deliveryId(deliveryId)
    , m_gateId(gateId)
{
    m_confirmationTimer.setSingleShot(true);
    connect(&m_closeTimer, &PreciseSingleShotTimer::timeout, this, &GateCycle::closeGate);
    connect(&m_confirmationTimer, &QTimer::timeout, this, &GateCycle::onConfirmationTimeout);
    connect(m_thingManager, &ThingManager::thingRemoved, this, &GateCycle::onThingRemoved);
}

void GateCycle::setOpenDuration(int msecs) { m_closeTimer.setInterval(msecs); }
void GateCycle::setCloseConfirmationTimeout(int msecs) { m_confirmationTimer.setInterval(msecs); }

void GateCycle::start()
{
    Thing *gate = m_thingManager->findThing(m_gateId);
    if (gate)
        ThingActions::execute(m_thingManager, gate, QStringLiteral("open"));
    else
        qCWarning(dcPlavoExperience) << "Gate" << m_gateId << "vanished before it could be opened";
    m_closeTimer.start();
}

void GateCycle::closeGate()
{
    Thing *gate = m_thingManager->findThing(m_gateId);
    if (!gate) {
        qCWarning(dcPlavoExperience) << "Gate" << m_gateId << "vanished before it could be closed";
        finish();
        return;
    }
    ThingActions::execute(m_thingManager, gate, QStringLiteral("close"));
    if (reportsClosed(gate))
        finish();
    else
        waitForClosed();
}

void GateCycle::waitForClosed()
{
    connect(m_thingManager, &ThingManager::thingStateChanged, this, &GateCycle::onThingStateChanged,
            Qt::UniqueConnection);
    m_confirmationTimer.start();
}

void GateCycle::onThingStateChanged(Thing *thing, const QUuid &stateTypeId, const QVariant &value)
{
    Q_UNUSED(value)
    if (thing->id() != m_gateId || thing->thingClass().stateType(stateTypeId).name != gateStateName)
        return;
    if (reportsClosed(thing))
        finish();
}

void GateCycle::onThingRemoved(const QUuid &thingId)
{
    if (thingId != m_gateId || m_finished)
        return;
    qCWarning(dcPlavoExperience) << "Gate" << m_gateId << "was removed while open for delivery" << m_deliveryId;
    finish();
}

void GateCycle::onConfirmationTimeout()
{
    qCWarning(dcPlavoExperience) << "Gate" << m_gateId << "did not report closed in time for delivery" << m_deliveryId;
    finish();
}

bool GateCycle::reportsClosed(Thing *gate) const { return gate->stateValue(gateStateName).toString() == closedValue; }

void GateCycle::finish()
{
    if (m_finished)
        return;
    m_finished = true;
    m_closeTimer.stop();
    m_confirmationTimer.stop();
    disconnect(m_thingManager, nullptr, this, nullptr);
    emit finished(m_deliveryId, QDateTime::currentMSecsSinceEpoch());
}
