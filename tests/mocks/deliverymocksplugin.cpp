#include "deliverymocksplugin.h"

DeliveryMocksPlugin::DeliveryMocksPlugin(QObject *parent)
    : IntegrationPlugin(parent)
{
}

QString DeliveryMocksPlugin::pluginName() const { return QStringLiteral("DeliveryMocks"); }

QList<ThingClass> DeliveryMocksPlugin::thingClasses() const { return {}; }

Korvu::ThingError DeliveryMocksPlugin::setupThing(Thing *thing)
{
    Q_UNUSED(thing)
    return Korvu::ThingErrorThingClassNotFound;
}

Korvu::ThingError DeliveryMocksPlugin::executeAction(Thing *thing, const Action &action)
{
    Q_UNUSED(thing)
    Q_UNUSED(action)
    return Korvu::ThingErrorActionTypeNotFound;
}
