#ifndef LIBKORVU_THINGERROR_H
#define LIBKORVU_THINGERROR_H

#include "korvu_global.h"

#include <QObject>
#include <QString>

namespace Korvu {
Q_NAMESPACE_EXPORT(KORVU_EXPORT)

// The names of these values are part of the JSON-RPC interface ("thingError").
enum ThingError {
    ThingErrorNoError,
    ThingErrorThingClassNotFound,
    ThingErrorThingNotFound,
    ThingErrorStateTypeNotFound,
    ThingErrorActionTypeNotFound,
    ThingErrorEventTypeNotFound,
    ThingErrorInvalidParameter,
    ThingErrorHardwareNotAvailable,
    ThingErrorHardwareFailure,
};
Q_ENUM_NS(ThingError)

KORVU_EXPORT QString thingErrorName(ThingError error);

} // namespace Korvu

#endif // LIBKORVU_THINGERROR_H
