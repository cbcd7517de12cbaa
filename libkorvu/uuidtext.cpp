#include "uuidtext.h"

namespace {

bool isHexDigit(QChar character)
{
    const ushort code = character.unicode();
    return (code >= '0' && code <= '9') || (code >= 'a' && code <= 'f') || (code >= 'A' && code <= 'F');
}

bool isBareUuidText(QStringView text)
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

bool isUuidText(QStringView text)
{
    if (text.size() == 38)
        return text.front() == QLatin1Char('{') && text.back() == QLatin1Char('}') && isBareUuidText(text.mid(1, 36));
    return isBareUuidText(text);
}

} // namespace

namespace Korvu {

QString idText(const QUuid &id) { return id.toString(QUuid::WithoutBraces); }

bool parseUuid(QStringView text, QUuid *uuid)
{
    if (!isUuidText(text))
        return false;
    *uuid = QUuid::fromString(text);
    return true;
}

} // namespace Korvu
