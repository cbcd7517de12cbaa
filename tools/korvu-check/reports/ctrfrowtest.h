#ifndef KORVUCHECK_CTRFROWTEST_H
#define KORVUCHECK_CTRFROWTEST_H

#include "results/runresults.h"

#include <QJsonObject>

// One function or row over all its repetitions as a test of a CTRF document,
// with the status the results give it. Repetitions are runs on purpose and
// stand only in "extra"; "retries" counts the tries that ran again because
// they failed. Its "extra" holds every run as recorded, so that the results
// read back are the results written, and under a failure what differs in it
// ("difference": [{"path", "expected", "actual"}], a side left out where the
// field is missing or unexpected).
class CtrfRowTest
{
public:
    // recorded: a row of RunResults::rowsWithEveryHookRun().
    static QJsonObject of(const RunResults &results, const RunResults::TestCase &recorded);
};

#endif // KORVUCHECK_CTRFROWTEST_H
