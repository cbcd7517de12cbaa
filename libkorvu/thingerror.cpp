#include "thingerror.h"

#include <QMetaEnum>

namespace Korvu {

QString thingErrorName(ThingError error)
{
    return QString::fromLatin1(QMetaEnum::fromType<ThingError>().valueToKey(error));
}

} // namespace Korvu
