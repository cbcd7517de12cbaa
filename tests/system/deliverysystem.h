#ifndef KORVU_SYSTEM_DELIVERYSYSTEM_H
#define KORVU_SYSTEM_DELIVERYSYSTEM_H

#include "systemdaemon.h"

#include <QUuid>

// The set-up most system tests begin with: the bundled korvud running, with
// one garage gate, one parcel scanner and one notification device.
class DeliverySystem
{
public:
    // Starts korvud and adds the three things; false, with a warning, when any of it fails.
    bool start();

    SystemDaemon &daemon();
    QUuid gateId() const;
    QUuid scannerId() const;
    QUuid notificationId() const;

private:
    SystemDaemon m_daemon;
    QUuid m_gateId;
    QUuid m_scannerId;
    QUuid m_notificationId;
};

#endif // KORVU_SYSTEM_DELIVERYSYSTEM_H
