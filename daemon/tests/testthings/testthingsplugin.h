#ifndef KORVUD_TESTS_TESTTHINGSPLUGIN_H
#define KORVUD_TESTS_TESTTHINGSPLUGIN_H

#include "integrationplugin.h"

#include <QHash>

// An integration plug-in for the daemon's own tests.
class TestThingsPlugin : public IntegrationPlugin
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID IntegrationPlugin_iid FILE "testthings.json")
    Q_INTERFACES(IntegrationPlugin)
public:
    explicit TestThingsPlugin(QObject *parent = nullptr);

    QString pluginName() const override;
    QList<ThingClass> thingClasses() const override;
    Korvu::ThingError setupThing(Thing *thing) override;
    void thingRemoved(Thing *thing) override;
    Korvu::ThingError executeAction(Thing *thing, const Action &action) override;

private:
    QHash<QUuid, int> m_pressCounts;
};

#endif // KORVUD_TESTS_TESTTHINGSPLUGIN_H
