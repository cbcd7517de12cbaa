#ifndef DELIVERYMOCKS_PLUGIN_H
#define DELIVERYMOCKS_PLUGIN_H

#include "integrationplugin.h"

#include <QHash>
#include <QUuid>

class MockDevice;

// The mock devices the delivery checks drive: a garage gate, a parcel scanner
// and a notification device, each controlled over HTTP on its class's port.
// Only one thing per class can exist at a time, since the port is fixed.
class DeliveryMocksPlugin : public IntegrationPlugin
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID IntegrationPlugin_iid FILE "deliverymocks.json")
    Q_INTERFACES(IntegrationPlugin)
public:
    explicit DeliveryMocksPlugin(QObject *parent = nullptr);
    ~DeliveryMocksPlugin() override;

    QString pluginName() const override;
    QList<ThingClass> thingClasses() const override;
    Korvu::ThingError setupThing(Thing *thing) override;
    void thingRemoved(Thing *thing) override;
    Korvu::ThingError executeAction(Thing *thing, const Action &action) override;

private:
    void dropDevice(const QUuid &thingId);
    static void applyActionEffects(Thing *thing, const Action &action);

    QHash<QUuid, MockDevice *> m_devices;
};

#endif // DELIVERYMOCKS_PLUGIN_H
