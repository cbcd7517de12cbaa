#ifndef KORVUCHECK_REPORTER_H
#define KORVUCHECK_REPORTER_H

#include "daemonfinding.h"
#include "runresults.h"
#include "testverdict.h"

#include <QString>

class QIODevice;

// One format of a check's results: the console, JUnit, CTRF or HTML.
// A reporter only puts into its format's words what the results decide,
// each row's status among them (RunResults::status()); it writes from the
// results alone once the run has ended or stopped, so a check and a merge of
// slices report alike. A reporter
// that shows a run while it happens also follows its events, which come after
// the results have recorded them.
class Reporter
{
public:
    virtual ~Reporter() = default;

    // A function or row of one suite process ended, or a hook did.
    virtual void verdictRead(const RunResults &results, const RunResults::Origin &origin, const TestVerdict &verdict)
    {
        Q_UNUSED(results)
        Q_UNUSED(origin)
        Q_UNUSED(verdict)
    }
    // The daemon of a suite process reported a fault.
    virtual void findingMade(const RunResults &results, const RunResults::Origin &origin, const DaemonFinding &finding)
    {
        Q_UNUSED(results)
        Q_UNUSED(origin)
        Q_UNUSED(finding)
    }
    // A suite process ended; nothing of it follows.
    virtual void processEnded(const RunResults &results, const RunResults::Origin &origin)
    {
        Q_UNUSED(results)
        Q_UNUSED(origin)
    }

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
