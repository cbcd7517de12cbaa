#ifndef TRACKINGCODEMATCHER_H
#define TRACKINGCODEMATCHER_H

#include "scenario.h"

#include <QString>

// Decides whether a scanned code belongs to a registered tracking code.
// Correct rule: the normalised forms (upper-case letters and digits only) are
// equal, or a registered code of 8 or more characters stands inside the
// scanned one. The other modes are faults a scenario can ask for.
class TrackingCodeMatcher
{
public:
    explicit TrackingCodeMatcher(Scenario::CodeMatch mode);

    bool matches(const QString &registered, const QString &scanned) const;

    static QString normalised(const QString &code);
    static QString digitsOnly(const QString &code);

private:
    static bool equalOrLongEnoughInside(const QString &registered, const QString &scanned);

    Scenario::CodeMatch m_mode;
};

#endif // TRACKINGCODEMATCHER_H
