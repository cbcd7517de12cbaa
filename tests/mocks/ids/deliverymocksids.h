#ifndef DELIVERYMOCKS_IDS_H
#define DELIVERYMOCKS_IDS_H

#include <QUuid>

// Fixed ids of the mock thing classes and their types, and the HTTP control
// port of each class. Things are stored by class id, and the checks compare
// the action ids they find in the action histories, so none of these may ever
// change.
namespace DeliveryMocksIds {

inline const QUuid garageGateThingClassId{"{e09c4d49-e631-4267-9a3e-ff3a46a454bc}"};
inline const QUuid garageGateStateStateTypeId{"{61ebba3f-02b2-472c-90e4-2ddb292e6ee9}"};
inline const QUuid garageGateOpenActionTypeId{"{2eb6135e-579f-4b9a-be7b-785d664a3875}"};
inline const QUuid garageGateCloseActionTypeId{"{98a99af7-73db-4d38-a2e4-7c357dbd371c}"};

inline const QUuid parcelScannerThingClassId{"{b16048e7-9c24-4ec1-a7bf-7fd20ee4c813}"};
inline const QUuid parcelScannerCodeScannedEventTypeId{"{0da90af2-90bc-43a6-bcdc-e50c39dbb8bf}"};
inline const QUuid parcelScannerAcceptActionTypeId{"{7e3e6b01-99a1-4346-826f-12ebff61c83d}"};
inline const QUuid parcelScannerRejectActionTypeId{"{03b1abeb-4589-44f9-849b-03a1465ef015}"};

inline const QUuid notificationDeviceThingClassId{"{47ced9b1-b7fd-44de-a4d7-8b27e47b8579}"};
inline const QUuid notificationDeviceNotifyActionTypeId{"{86ed7935-5c88-4810-a94c-50a39946a04c}"};

// What a reader of traffic and reports calls each id.
struct NamedId
{
    const QUuid &id;
    const char *name;
};

inline const NamedId namedIds[] = {
    {garageGateThingClassId, "gate"},
    {garageGateStateStateTypeId, "gate state"},
    {garageGateOpenActionTypeId, "open"},
    {garageGateCloseActionTypeId, "close"},
    {parcelScannerThingClassId, "scanner"},
    {parcelScannerCodeScannedEventTypeId, "code scanned"},
    {parcelScannerAcceptActionTypeId, "accept"},
    {parcelScannerRejectActionTypeId, "refuse"},
    {notificationDeviceThingClassId, "notification device"},
    {notificationDeviceNotifyActionTypeId, "notify"},
};

// The name of a mock id, or nullptr for any other id.
inline const char *nameOf(const QUuid &id)
{
    for (const NamedId &named : namedIds) {
        if (named.id == id)
            return named.name;
    }
    return nullptr;
}

inline constexpr quint16 garageGatePort = 6655;
inline constexpr quint16 parcelScannerPort = 6656;
inline constexpr quint16 notificationDevicePort = 6657;

} // namespace DeliveryMocksIds

#endif // DELIVERYMOCKS_IDS_H
