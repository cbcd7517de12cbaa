#ifndef KORVUCHECK_PROGRESSREPORT_H
#define KORVUCHECK_PROGRESSREPORT_H

#include "reports/console/consolereport.h"

#include <QHash>
#include <QSet>
#include <QStringList>
#include <QVector>

class QTextStream;

// The console while a check runs: a line per function and row as its verdict
// arrives, the daemon's findings under the row they belong to, and the
// summary at the end.
class ProgressReport : public ConsoleReport
{
public:
    // err: korvu-check's own errors. verbose: every log message of the
    // suite processes as it comes, too.
    ProgressReport(QTextStream &out, QTextStream &err, bool verbose = false);

    void verdictRead(const RunResults &results, const RunResults::Origin &origin, const TestVerdict &verdict) override;
    void findingMade(const RunResults &results, const RunResults::Origin &origin,
                     const DaemonFinding &finding) override;
    void processEnded(const RunResults &results, const RunResults::Origin &origin) override;

    void runStarting(const RunResults &results, int parallel, int requestedParallel) override;
    void nothingToRun(const RunResults &results) override;
    // Progress waits while the daemon is not yet known to start: the lines of
    // a daemon that never does are not worth showing.
    void probeStarted() override;
    // News that cannot wait for the end of the probe.
    void probeStillWaiting(int waitedMsecs, int remainingMsecs) override;
    // Shows what was held, and then each line as it comes; or, when the run
    // is being stopped, drops what was held and all that follows.
    void probeEnded(bool runGoesOn) override;
    void outputLine(const QString &line) override;
    void plainOutput(const QStringList &lines) override;
    void setupError(const RunResults &results, const QStringList &lines) override;
    void runEnded(const RunResults &results, const KeptFiles &kept) override;
    void runStopped(const RunResults &results, const KeptFiles &kept) override;

private:
    // "[shard 2 (testAvailable), run 1/3, try 1 of 3]": what a line does not say itself.
    static QString context(const RunResults &results, const RunResults::Origin &origin, bool withShard, bool withTry);
    // Prints the findings of a process in testName not shown yet; "" prints them all.
    void showFindings(const RunResults &results, const RunResults::Origin &origin, const QString &testName);

    void print(const QStringList &lines);
    void printToErr(const QStringList &lines);

    QTextStream &m_out;
    QTextStream &m_err;
    bool m_verbose;
    bool m_holding = false;
    bool m_silent = false;
    QStringList m_held;
    // Each shard runs the hooks; a failure of one is shown in full once.
    QSet<QString> m_shownHookFailures;
    // Per suite process, findings waiting for the verdict of their function or row.
    QHash<int, QVector<DaemonFinding>> m_unshownFindings;
};

#endif // KORVUCHECK_PROGRESSREPORT_H
