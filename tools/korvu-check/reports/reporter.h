#ifndef KORVUCHECK_REPORTER_H
#define KORVUCHECK_REPORTER_H

#include "runresults.h"

#include <QString>

class QIODevice;

// One format of a check's results: the console summary, JUnit, CTRF or HTML.
// A reporter only formats; it writes from the results alone once the run has
// ended or stopped, so a check and a merge of slices report alike.
class Reporter
{
public:
    virtual ~Reporter() = default;

    // The test that reports an error of korvu-check's own, such as a daemon
    // that never listened.
    static inline const QString setupTestName = QStringLiteral("korvu-check setup");

    // Formats the results into device; false when the device fails.
    virtual bool write(const RunResults &results, QIODevice *device) = 0;

    // "3.14 s", as the console and the HTML page show a time.
    static QString seconds(double value);

    // Replaces fileName only once the whole report is written, so that a CI
    // system never reads half a report or the one of an earlier run.
    bool writeFile(const RunResults &results, const QString &fileName, QString *error);
};

#endif // KORVUCHECK_REPORTER_H
