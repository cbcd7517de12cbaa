#ifndef PLAVODELIVERY_TESTS_FAKETHINGS_H
#define PLAVODELIVERY_TESTS_FAKETHINGS_H

#include "fakedevicesplugin.h"
#include "thingregistry.h"
#include "thingstore.h"

// korvud's own thing registry, running the fake devices: the experience
// sees the things exactly as the daemon hands them over.
class FakeThings
{
public:
    FakeThings();
    ~FakeThings();
    FakeThings(const FakeThings &) = delete;
    FakeThings &operator=(const FakeThings &) = delete;

    // The things are stored in databasePath, as korvud stores them.
    bool open(const QString &databasePath);

    ThingManager *manager();
    FakeDevicesPlugin *devices();

    Thing *addThing(const ThingClass &thingClass, const QString &name);
    Thing *addGate();
    Thing *addScanner();
    Thing *addNotificationDevice();
    void removeThing(const QUuid &thingId);
    QList<Thing *> things() const;
    Thing *findThing(const QUuid &thingId) const;

    // Emits the scanner's "codeScanned" event.
    void scan(const QUuid &scannerId, const QString &code);

    QStringList actionNames(const QUuid &thingId) const;
    QString gateState(const QUuid &gateId) const;

private:
    ThingStore m_store;
    FakeDevicesPlugin m_devices;
    ThingRegistry m_registry;
};

#endif // PLAVODELIVERY_TESTS_FAKETHINGS_H
