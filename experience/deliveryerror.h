#ifndef PLAVODELIVERY_DELIVERYERROR_H
#define PLAVODELIVERY_DELIVERYERROR_H

#include <QString>

// The names of these values are part of the JSON-RPC interface ("deliveryError").
enum class DeliveryError {
    NoError,
    InvalidName,
    InvalidTrackingCode,
    GateNotFound,
    ScannerNotFound,
    NotificationDeviceNotFound,
    DeliveryNotFound,
};

QString deliveryErrorName(DeliveryError error);

#endif // PLAVODELIVERY_DELIVERYERROR_H
