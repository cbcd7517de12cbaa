#include "thingactions.h"
#include "plavoexperiencelogging.h"
#include "thingmanager.h"

namespace ThingActions {

bool execute(ThingManager *thingManager, Thing *thing, const QString &actionName, const QVariantMap &params)
{
    const QUuid actionTypeId = thing->thingClass().actionTypeId(actionName);
    if (actionTypeId.isNull()) {
        qCWarning(dcPlavoExperience) << "Thing" << thing->id() << "has no action" << actionName;
        return false;
    }
    const Korvu::ThingError error = thingManager->executeAction(Action{thing->id(), actionTypeId, params});
    if (error != Korvu::ThingErrorNoError) {
        qCWarning(dcPlavoExperience) << "Action" << actionName << "failed on thing" << thing->id()
                                     << Korvu::thingErrorName(error);
        return false;
    }
    return true;
}

} // namespace ThingActions
