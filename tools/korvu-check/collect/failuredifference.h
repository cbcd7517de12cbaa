#ifndef KORVUCHECK_FAILUREDIFFERENCE_H
#define KORVUCHECK_FAILUREDIFFERENCE_H

#include "results/testverdict.h"
#include "results/valuedifference.h"

#include <QJsonObject>
#include <QVector>

// The difference every report shows under a failure.
class FailureDifference
{
public:
    // The difference between the values the failure's message compares.
    // Where the framework cut the message short after a whole expected
    // record, the listed one is the last listing of the same delivery in the
    // failure's exchanges.
    static ValueDifference of(const TestVerdict &verdict, const QVector<QJsonObject> &exchanges);
};

#endif // KORVUCHECK_FAILUREDIFFERENCE_H
