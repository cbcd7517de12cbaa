#include "loggingcategories.h"

Q_LOGGING_CATEGORY(dcThingManager, "ThingManager")
Q_LOGGING_CATEGORY(dcExperiences, "Experiences")
Q_LOGGING_CATEGORY(dcJsonRpc, "JsonRpc")
