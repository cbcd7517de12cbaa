#include "trackingcodematcher.h"

QString TrackingCodeMatcher::normalise(const QString &code)
{
    const QString upper = code.toUpper();
    QString normalised;
    normalised.reserve(upper.size());
    for (const QChar character : upper) {
        if (character.isLetter() || character.isDigit())
            normalised.append(character);
    }
    return normalised;
}

bool TrackingCodeMatcher::matches(const QString &registeredCode, const QString &scannedCode)
{
    const QString registered = normalise(registeredCode);
    const QString scanned = normalise(scannedCode);
    if (registered.isEmpty() || scanned.isEmpty())
        return false;
    if (registered == scanned)
        return true;
    return registered.size() >= minimumEmbeddedLength && scanned.contains(registered);
}
