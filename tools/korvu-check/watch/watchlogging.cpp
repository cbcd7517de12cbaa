#include "watch/watchlogging.h"

Q_LOGGING_CATEGORY(dcWatch, "KorvuCheck.watch", QtWarningMsg)
