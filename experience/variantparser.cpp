#include "variantparser.h"

#include "uuidtext.h"

#include <cmath>
#include <limits>

namespace VariantParser {

bool isString(const QVariant &value) { return value.userType() == QMetaType::QString; }

bool isList(const QVariant &value) { return value.userType() == QMetaType::QVariantList; }

bool isMap(const QVariant &value) { return value.userType() == QMetaType::QVariantMap; }

bool toUuid(const QVariant &value, QUuid *uuid)
{
    if (value.userType() == QMetaType::QUuid) {
        *uuid = value.toUuid();
        return true;
    }
    return isString(value) && Korvu::parseUuid(value.toString(), uuid);
}

static bool doubleToWholeNumber(double value, qint64 *number)
{
    // Beyond 2^53 a double no longer tells neighbouring integers apart.
    const double largestExact = 9007199254740992.0;
    if (!std::isfinite(value) || std::trunc(value) != value || std::fabs(value) > largestExact)
        return false;
    *number = static_cast<qint64>(value);
    return true;
}

bool toWholeNumber(const QVariant &value, qint64 *number)
{
    switch (value.userType()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
        *number = value.toLongLong();
        return true;
    case QMetaType::ULongLong:
        if (value.toULongLong() > static_cast<qulonglong>(std::numeric_limits<qint64>::max()))
            return false;
        *number = value.toLongLong();
        return true;
    case QMetaType::Double:
        return doubleToWholeNumber(value.toDouble(), number);
    default:
        return false;
    }
}

} // namespace VariantParser
