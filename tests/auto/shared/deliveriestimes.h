#ifndef DELIVERIESTIMES_H
#define DELIVERIESTIMES_H

#include <QHash>
#include <QString>

// A rough time for one run of each function of the delivery suite that does
// not answer at once: a granted delivery waits 2 s in its gate polls, the
// persistence check restarts the daemon twice. A refused delivery opens no
// gate and answers at once, so its row shares a suite process with the other
// quick ones. korvu-check cuts its shards by them; a function missing here
// counts as quick.
inline const QHash<QString, double> deliveriesExpectedSeconds = {
    {QStringLiteral("testDelivery"), 2.0},
    {QStringLiteral("testDelivery(wrong code)"), 0.1},
    {QStringLiteral("testDelivery(inactive calendar item)"), 0.1},
    {QStringLiteral("testDelivery(bad code)"), 0.1},
    {QStringLiteral("testDeliveryPersistence"), 2.5},
};

#endif // DELIVERIESTIMES_H
