#include "plavoexperiencelogging.h"

Q_LOGGING_CATEGORY(dcPlavoExperience, "PlavoExperience")
