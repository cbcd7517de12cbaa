#include "testthingsplugin.h"

#include "testthingids.h"

TestThingsPlugin::TestThingsPlugin(QObject *parent)
    : IntegrationPlugin(parent)
{
}

// The same plug-in is built a second time as "TestThingsRival", which offers
// the same classes but refuses every thing: it shows which plug-in runs a class.
#ifdef TESTTHINGS_RIVAL
static const bool refuseAll = true;
QString TestThingsPlugin::pluginName() const { return QStringLiteral("TestThingsRival"); }
#else
static const bool refuseAll = false;
QString TestThingsPlugin::pluginName() const { return QStringLiteral("TestThings"); }
#endif

QList<ThingClass> TestThingsPlugin::thingClasses() const
{
    ThingClass lamp(TestThingIds::lampClass, QStringLiteral("Lamp"));
    lamp.setInterfaces({QStringLiteral("light")});
    lamp.setStateTypes({{TestThingIds::powerState, QStringLiteral("power"), false}});
    lamp.setEventTypes({{TestThingIds::pressedEvent, QStringLiteral("pressed"), {QStringLiteral("count")}}});
    lamp.setActionTypes({
        {TestThingIds::setPowerAction, QStringLiteral("setPower"), {QStringLiteral("power")}},
        {TestThingIds::pressAction, QStringLiteral("press"), {}},
    });
    return {lamp, ThingClass(TestThingIds::refusingClass, QStringLiteral("Refusing"))};
}

Korvu::ThingError TestThingsPlugin::setupThing(Thing *thing)
{
    const bool refuseLamps = refuseAll || qgetenv(TestThingIds::refuseLampsVariable) == "1";
    if (thing->thingClassId() == TestThingIds::refusingClass || refuseLamps)
        return Korvu::ThingErrorHardwareNotAvailable;
    m_pressCounts.insert(thing->id(), 0);
    return Korvu::ThingErrorNoError;
}

void TestThingsPlugin::thingRemoved(Thing *thing) { m_pressCounts.remove(thing->id()); }

Korvu::ThingError TestThingsPlugin::executeAction(Thing *thing, const Action &action)
{
    if (!m_pressCounts.contains(thing->id()))
        return Korvu::ThingErrorHardwareNotAvailable;
    if (action.actionTypeId == TestThingIds::setPowerAction) {
        thing->setStateValue(TestThingIds::powerState, action.params.value(QStringLiteral("power")).toBool());
        return Korvu::ThingErrorNoError;
    }
    if (action.actionTypeId == TestThingIds::pressAction) {
        thing->emitEvent(TestThingIds::pressedEvent, {{QStringLiteral("count"), ++m_pressCounts[thing->id()]}});
        return Korvu::ThingErrorNoError;
    }
    return Korvu::ThingErrorActionTypeNotFound;
}

// The meta-object code goes into this object file itself: CMake collects moc
// output of an object library into a file of its own that the Makefiles
// generator does not pass on to the targets linking these objects.
#include "moc_testthingsplugin.cpp"
