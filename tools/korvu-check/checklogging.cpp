#include "checklogging.h"

Q_LOGGING_CATEGORY(dcCheck, "KorvuCheck", QtWarningMsg)
