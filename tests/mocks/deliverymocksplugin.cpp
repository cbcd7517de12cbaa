#include "deliverymocksplugin.h"

#include "deliverymocksclasses.h"
#include "deliverymocksids.h"
#include "deliverymockslogging.h"
#include "logtext.h"
#include "mockdevice.h"

DeliveryMocksPlugin::DeliveryMocksPlugin(QObject *parent)
    : IntegrationPlugin(parent)
{
}

DeliveryMocksPlugin::~DeliveryMocksPlugin() = default;

QString DeliveryMocksPlugin::pluginName() const { return QStringLiteral("DeliveryMocks"); }

QList<ThingClass> DeliveryMocksPlugin::thingClasses() const { return DeliveryMocksClasses::all(); }

Korvu::ThingError DeliveryMocksPlugin::setupThing(Thing *thing)
{
    const quint16 port = DeliveryMocksClasses::controlPort(thing->thingClassId());
    if (port == 0)
        return Korvu::ThingErrorThingClassNotFound;

    // Set up again: start over with a fresh device.
    dropDevice(thing->id());

    auto device = new MockDevice(thing, this);
    QString errorMessage;
    if (!device->start(port, &errorMessage)) {
        qCWarning(dcDeliveryMocks).noquote()
            << "Cannot set up" << LogText::shortened(thing->name()) << thing->id().toString() << "- port" << port
            << "is not available:" << errorMessage;
        delete device;
        return Korvu::ThingErrorHardwareNotAvailable;
    }
    m_devices.insert(thing->id(), device);
    qCDebug(dcDeliveryMocks).noquote() << "Set up" << LogText::shortened(thing->name()) << thing->id().toString()
                                       << "on port" << port;
    return Korvu::ThingErrorNoError;
}

void DeliveryMocksPlugin::thingRemoved(Thing *thing)
{
    qCDebug(dcDeliveryMocks).noquote() << "Removing" << LogText::shortened(thing->name()) << thing->id().toString();
    dropDevice(thing->id());
}

Korvu::ThingError DeliveryMocksPlugin::executeAction(Thing *thing, const Action &action)
{
    if (!thing->thingClass().hasActionType(action.actionTypeId)) {
        qCDebug(dcDeliveryMocks).noquote()
            << LogText::shortened(thing->name()) << "has no action type" << action.actionTypeId.toString();
        return Korvu::ThingErrorActionTypeNotFound;
    }
    MockDevice *device = m_devices.value(thing->id());
    if (!device)
        return Korvu::ThingErrorHardwareNotAvailable;

    const ActionType actionType = thing->thingClass().actionType(action.actionTypeId);
    qCDebug(dcDeliveryMocks).noquote() << LogText::shortened(thing->name()) << "executes" << actionType.name
                                       << LogText::shortened(action.params);
    device->recordAction(action);
    applyActionEffects(thing, action);
    return Korvu::ThingErrorNoError;
}

void DeliveryMocksPlugin::dropDevice(const QUuid &thingId)
{
    MockDevice *device = m_devices.take(thingId);
    if (!device)
        return;
    // The port is free once stop() returns. Deletion waits, because we may be
    // inside one of the device's own request handlers.
    device->stop();
    device->deleteLater();
}

void DeliveryMocksPlugin::applyActionEffects(Thing *thing, const Action &action)
{
    if (action.actionTypeId == DeliveryMocksIds::garageGateOpenActionTypeId)
        thing->setStateValue(DeliveryMocksIds::garageGateStateStateTypeId, QStringLiteral("open"));
    else if (action.actionTypeId == DeliveryMocksIds::garageGateCloseActionTypeId)
        thing->setStateValue(DeliveryMocksIds::garageGateStateStateTypeId, QStringLiteral("closed"));
}
