#ifndef DELIVERYMOCKSPLUGIN_H
#define DELIVERYMOCKSPLUGIN_H

#include "integrationplugin.h"

class DeliveryMocksPlugin : public IntegrationPlugin
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID IntegrationPlugin_iid FILE "deliverymocks.json")
    Q_INTERFACES(IntegrationPlugin)
public:
    explicit DeliveryMocksPlugin(QObject *parent = nullptr);

    QString pluginName() const override;
    QList<ThingClass> thingClasses() const override;
    Korvu::ThingError setupThing(Thing *thing) override;
    Korvu::ThingError executeAction(Thing *thing, const Action &action) override;
};

#endif // DELIVERYMOCKSPLUGIN_H
