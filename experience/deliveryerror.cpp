#include "deliveryerror.h"

QString deliveryErrorName(DeliveryError error)
{
    switch (error) {
    case DeliveryError::NoError:
        return QStringLiteral("DeliveryErrorNoError");
    case DeliveryError::InvalidName:
        return QStringLiteral("DeliveryErrorInvalidName");
    case DeliveryError::InvalidTrackingCode:
        return QStringLiteral("DeliveryErrorInvalidTrackingCode");
    case DeliveryError::GateNotFound:
        return QStringLiteral("DeliveryErrorGateNotFound");
    case DeliveryError::ScannerNotFound:
        return QStringLiteral("DeliveryErrorScannerNotFound");
    case DeliveryError::NotificationDeviceNotFound:
        return QStringLiteral("DeliveryErrorNotificationDeviceNotFound");
    case DeliveryError::DeliveryNotFound:
        return QStringLiteral("DeliveryErrorDeliveryNotFound");
    }
    return QString();
}
