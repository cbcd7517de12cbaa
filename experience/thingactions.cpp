#include "thingactions.h"
#include "plavoexperiencelogging.h"
#include "thingmanager.h"

namespace ThingActions {

void execute(ThingManager *thingManager, Thing *thing, const QString &actionName, const QVariantMap &params)
{
    const QUuid actionTypeId = thing->thingClass().actionTypeId(actionName);
    if (actionTypeId.isNull()) {
        qCWarning(dcPlavoExperience) << "Thing" << thing->id() << "has no action" << actionName;
        return;
    }
    const Korvu::ThingError error = thingManager->executeAction(Action{thing->id(), actionTypeId, params});
    if (error != Korvu::ThingErrorNoError) {
        qCWarning(dcPlavoExperience) << "Action" << actionName << "failed on thing" << thing->id()
                                     << Korvu::thingErrorName(error);
    }
}

} // namespace ThingActions
