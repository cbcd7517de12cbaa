#include "deliverysystem.h"

#include "deliveryclient.h"

bool DeliverySystem::start()
{
    if (!m_daemon.start())
        return false;
    DeliveryClient client;
    if (!client.open()) {
        qWarning("cannot connect to korvud");
        return false;
    }
    m_gateId = client.createGate();
    m_scannerId = client.createScanner();
    m_notificationId = client.createNotificationDevice();
    if (m_gateId.isNull() || m_scannerId.isNull() || m_notificationId.isNull()) {
        qWarning("cannot add the mock things: %s", m_daemon.standardError().right(2000).constData());
        return false;
    }
    return true;
}

SystemDaemon &DeliverySystem::daemon() { return m_daemon; }
QUuid DeliverySystem::gateId() const { return m_gateId; }
QUuid DeliverySystem::scannerId() const { return m_scannerId; }
QUuid DeliverySystem::notificationId() const { return m_notificationId; }
