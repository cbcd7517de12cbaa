#ifndef KORVUCHECK_REPORTER_H
#define KORVUCHECK_REPORTER_H

#include "runresults.h"

#include <QString>

// A report file of a check, formatted from its results alone once the run
// has ended or stopped.
class Reporter
{
public:
    virtual ~Reporter() = default;

    // The test that reports an error of korvu-check's own, such as a daemon
    // that never listened.
    static inline const QString setupTestName = QStringLiteral("korvu-check setup");

    // What the summary calls the file: "JUnit report".
    virtual QString kind() const = 0;
    // Replaces fileName only once the whole report is written.
    virtual bool writeReport(const RunResults &results, const QString &fileName, QString *error) = 0;
};

#endif // KORVUCHECK_REPORTER_H
