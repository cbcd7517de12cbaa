#ifndef KORVUCHECK_KNOWNRACE_H
#define KORVUCHECK_KNOWNRACE_H

#include "results/testverdict.h"

#include <QJsonObject>
#include <QString>
#include <QVector>

// Failures that a race in the check itself can cause as well as a fault of
// the daemon, told from the failure's difference so that the reader learns
// it beside the failure. The verdict stands either way.
class KnownRace
{
public:
    // A note for a failure whose difference (FailureDifference) is only
    // createdTimestamp, by exactly one second; empty for any other verdict.
    static QString noteFor(const TestVerdict &verdict, const QVector<QJsonObject> &exchanges);
};

#endif // KORVUCHECK_KNOWNRACE_H
