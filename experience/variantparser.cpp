#include "variantparser.h"

#include <QStringView>

#include <cmath>
#include <limits>

namespace VariantParser {

bool isString(const QVariant &value) { return value.userType() == QMetaType::QString; }

bool isList(const QVariant &value) { return value.userType() == QMetaType::QVariantList; }

bool isMap(const QVariant &value) { return value.userType() == QMetaType::QVariantMap; }

static bool isHexDigit(QChar c)
{
    const ushort u = c.unicode();
    return (u >= '0' && u <= '9') || (u >= 'a' && u <= 'f') || (u >= 'A' && u <= 'F');
}

// Exactly 8-4-4-4-12 hex digits with dashes, nothing before or after.
static bool isBareUuidText(QStringView text)
{
    if (text.size() != 36)
        return false;
    for (int i = 0; i < text.size(); ++i) {
        const bool dashExpected = i == 8 || i == 13 || i == 18 || i == 23;
        if (dashExpected ? text.at(i) != QLatin1Char('-') : !isHexDigit(text.at(i)))
            return false;
    }
    return true;
}

static bool isUuidText(QStringView text)
{
    if (text.size() == 38)
        return text.front() == QLatin1Char('{') && text.back() == QLatin1Char('}') && isBareUuidText(text.mid(1, 36));
    return isBareUuidText(text);
}

bool toUuid(const QVariant &value, QUuid *uuid)
{
    if (value.userType() == QMetaType::QUuid) {
        *uuid = value.toUuid();
        return true;
    }
    if (!isString(value))
        return false;

    // QUuid's own parser tolerates a missing closing brace and trailing text.
    const QString text = value.toString();
    if (!isUuidText(text))
        return false;
    *uuid = QUuid::fromString(text);
    return true;
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

QString uuidText(const QUuid &uuid) { return uuid.toString(QUuid::WithoutBraces); }

} // namespace VariantParser
