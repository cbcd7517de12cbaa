#ifndef PLAVODELIVERY_GATECYCLE_H
#define PLAVODELIVERY_GATECYCLE_H

#include "precisesingleshottimer.h"

#include <QObject>
#include <QTimer>
#include <QUuid>
#include <QVariant>

class Thing;
class ThingManager;

// Opens the gate for one granted delivery, closes it again after the open
// duration and reports the moment the gate confirmed it is closed. If the
// gate never confirms (it vanished, refused the action or stays silent), the
// cycle still ends after a time-out, so that a granted delivery cannot be
// granted a second time.
class GateCycle : public QObject
{
    Q_OBJECT
public:
    GateCycle(ThingManager *thingManager, const QUuid &deliveryId, const QUuid &gateId, QObject *parent = nullptr);

    void setOpenDuration(int msecs);
    void setCloseConfirmationTimeout(int msecs);

    // Opens the gate now and schedules the close.
    void start();

signals:
    void finished(const QUuid &deliveryId, qint64 closedAtMSecsSinceEpoch);

private:
    void closeGate();
    void onThingStateChanged(Thing *thing, const QUuid &stateTypeId, const QVariant &value);
    void onThingRemoved(const QUuid &thingId);
    void onConfirmationTimeout();
    bool reportsClosed(Thing *gate) const;
    void waitForClosed();
    void finish();

    ThingManager *m_thingManager;
    QUuid m_deliveryId;
    QUuid m_gateId;
    PreciseSingleShotTimer m_closeTimer;
    QTimer m_confirmationTimer;
    bool m_finished = false;
};

#endif // PLAVODELIVERY_GATECYCLE_H
