#ifndef DELIVERIESTIMES_H
#define DELIVERIESTIMES_H

#include <QHash>
#include <QString>

// A rough time for one run of each function of the delivery suite that does
// not answer at once: a granted delivery waits 2 s in its gate polls, the
// persistence check restarts the daemon twice. korvu-check cuts its shards by
// them; a function missing here counts as quick.
inline const QHash<QString, double> deliveriesExpectedSeconds = {
    {QStringLiteral("testDelivery"), 2.0},
    {QStringLiteral("testDeliveryPersistence"), 2.5},
};

#endif // DELIVERIESTIMES_H
