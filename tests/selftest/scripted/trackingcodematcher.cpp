#include "trackingcodematcher.h"

namespace {

const int shortestEmbeddedCode = 8;

} // namespace

TrackingCodeMatcher::TrackingCodeMatcher(Scenario::CodeMatch mode)
    : m_mode(mode)
{
}

bool TrackingCodeMatcher::matches(const QString &registered, const QString &scanned) const
{
    switch (m_mode) {
    case Scenario::CodeMatch::Exact:
        return registered == scanned;
    case Scenario::CodeMatch::DigitsOnly:
        return equalOrLongEnoughInside(digitsOnly(registered), digitsOnly(scanned));
    case Scenario::CodeMatch::Normalised:
        break;
    }
    return equalOrLongEnoughInside(normalised(registered), normalised(scanned));
}

QString TrackingCodeMatcher::normalised(const QString &code)
{
    QString result;
    const QString upper = code.toUpper();
    for (const QChar c : upper) {
        if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))
            result.append(c);
    }
    return result;
}

QString TrackingCodeMatcher::digitsOnly(const QString &code)
{
    QString result;
    for (const QChar c : code) {
        if (c >= '0' && c <= '9')
            result.append(c);
    }
    return result;
}

bool TrackingCodeMatcher::equalOrLongEnoughInside(const QString &registered, const QString &scanned)
{
    if (registered.isEmpty())
        return false;
    if (registered == scanned)
        return true;
    return registered.size() >= shortestEmbeddedCode && scanned.contains(registered);
}
