#include "run/runlogging.h"

Q_LOGGING_CATEGORY(dcRun, "KorvuCheck.run", QtWarningMsg)
