#include "deliverymockslogging.h"

Q_LOGGING_CATEGORY(dcDeliveryMocks, "DeliveryMocks")
