#ifndef KORVUCHECK_TESTS_VERDICTS_H
#define KORVUCHECK_TESTS_VERDICTS_H

#include "results/testverdict.h"

#include <QString>
#include <QStringList>

// One verdict as the XML log reader hands it on, for building test input.
inline TestVerdict verdict(TestVerdict::Outcome outcome, const QString &function, const QString &row = QString(),
                           const QStringList &messageLines = QStringList(), const QString &location = QString())
{
    TestVerdict result;
    result.outcome = outcome;
    result.function = function;
    result.row = row;
    result.messageLines = messageLines;
    result.location = location;
    return result;
}

#endif // KORVUCHECK_TESTS_VERDICTS_H
