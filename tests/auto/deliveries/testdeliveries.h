#ifndef TESTDELIVERIES_H
#define TESTDELIVERIES_H

#include "test.h"

// Checks of the PlavoDelivery experience: availability, adding, listing,
// removing, persistence across a restart and the whole flow from a scan to a
// delivered parcel.
class TestDeliveries : public Test
{
    Q_OBJECT

private:
    bool waitForGateState(const QUuid &gateId, const QString &state, int maxAttempts);

private slots:
    void testAvailable_data();
    void testAvailable();

    void testAddDelivery_data();
    void testAddDelivery();

    void testGetDeliveries_data();
    void testGetDeliveries();

    void testRemoveDelivery();

    void testDeliveryPersistence();

    void testDelivery_data();
    void testDelivery();
};

#endif // TESTDELIVERIES_H
