#include "integrationplugin.h"

IntegrationPlugin::IntegrationPlugin(QObject *parent)
    : QObject(parent)
{
}

IntegrationPlugin::~IntegrationPlugin() = default;

void IntegrationPlugin::thingRemoved(Thing *thing) { Q_UNUSED(thing) }
