#ifndef KORVUCHECK_REPORTER_H
#define KORVUCHECK_REPORTER_H

#include "results/daemonfinding.h"
#include "results/runresults.h"
#include "results/testverdict.h"

#include <QString>
#include <QStringList>

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

    // The run is planned and its suite processes are about to start, at most
    // parallel at a time of the requestedParallel asked for.
    virtual void runStarting(const RunResults &results, int parallel, int requestedParallel)
    {
        Q_UNUSED(results)
        Q_UNUSED(parallel)
        Q_UNUSED(requestedParallel)
    }
    // The slice of the run holds no shard, so no suite process starts.
    virtual void nothingToRun(const RunResults &results) { Q_UNUSED(results) }
    // The probe for whether the daemon starts at all began; what the suite
    // processes report meanwhile may be of a daemon that never does.
    virtual void probeStarted() { }
    // The daemon has not listened after waitedMsecs and may still take remainingMsecs.
    virtual void probeStillWaiting(int waitedMsecs, int remainingMsecs)
    {
        Q_UNUSED(waitedMsecs)
        Q_UNUSED(remainingMsecs)
    }
    // The probe ended; runGoesOn is false when the daemon never listened and
    // the suite processes are being stopped.
    virtual void probeEnded(bool runGoesOn) { Q_UNUSED(runGoesOn) }
    // A log message or line of standard error of a suite process, as the results hold it.
    virtual void outputLine(const QString &line) { Q_UNUSED(line) }
    // What a suite process printed when it wrote no test log, as for -functions.
    virtual void plainOutput(const QStringList &lines) { Q_UNUSED(lines) }
    // An error of korvu-check's own, as the results now hold it: the first
    // line says what, the others explain.
    virtual void setupError(const RunResults &results, const QStringList &lines)
    {
        Q_UNUSED(results)
        Q_UNUSED(lines)
    }

    // What a run leaves behind beside its results; "" and empty for nothing.
    struct KeptFiles
    {
        QStringList reports; // a note per report written
        QString tracesDir;
        QString runTree;
    };
    // The suite processes ran; the results are complete.
    virtual void runEnded(const RunResults &results, const KeptFiles &kept)
    {
        Q_UNUSED(results)
        Q_UNUSED(kept)
    }
    // The run stopped before its suite processes could run to their end.
    virtual void runStopped(const RunResults &results, const KeptFiles &kept)
    {
        Q_UNUSED(results)
        Q_UNUSED(kept)
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
