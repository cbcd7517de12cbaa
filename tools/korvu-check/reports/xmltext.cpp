#include "reports/xmltext.h"

namespace {

const QChar replacementCharacter(0xfffd);

bool isXmlCharacter(char16_t c)
{
    return c == 0x9 || c == 0xa || c == 0xd || (c >= 0x20 && c <= 0xd7ff) || (c >= 0xe000 && c <= 0xfffd);
}

} // namespace

QString XmlText::safe(const QString &text)
{
    QString safe = text;
    for (int i = 0; i < safe.size(); ++i) {
        const QChar c = safe.at(i);
        if (c.isHighSurrogate() && i + 1 < safe.size() && safe.at(i + 1).isLowSurrogate()) {
            ++i;
            continue;
        }
        if (!isXmlCharacter(c.unicode()))
            safe[i] = replacementCharacter;
    }
    return safe;
}
