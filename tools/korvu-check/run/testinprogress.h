#ifndef KORVUCHECK_TESTINPROGRESS_H
#define KORVUCHECK_TESTINPROGRESS_H

#include "results/testverdict.h"

#include <QStringList>

// Which function or row a suite process is in, from what its log said last
// and what the process was to run: a row that has logged nothing yet shows
// only as the one after the last that ended.
class TestInProgress
{
public:
    // planned: the process's functions and rows in order, the hooks among
    // them; empty when unknown. Returns "" when it cannot be told.
    static QString name(const QStringList &planned, const QString &lastTestName, bool lastEnded);
    // A failed verdict of the function or row so named.
    static TestVerdict failed(const QString &testName, const QString &message, double seconds);
};

#endif // KORVUCHECK_TESTINPROGRESS_H
