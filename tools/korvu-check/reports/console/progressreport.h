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
    explicit ProgressReport(QTextStream &out);

    void verdictRead(const RunResults &results, const RunResults::Origin &origin, const TestVerdict &verdict) override;
    void findingMade(const RunResults &results, const RunResults::Origin &origin,
                     const DaemonFinding &finding) override;
    void processEnded(const RunResults &results, const RunResults::Origin &origin) override;

    // Lines of korvu-check's own, such as what a run is about to do.
    void print(const QStringList &lines);
    // News that cannot wait for the release, such as a daemon slow to start.
    void printPastHold(const QStringList &lines);

    // Progress waits while the daemon is not yet known to start: the lines of
    // a daemon that never does are not worth showing.
    void hold();
    // Shows what was held, and then each line as it comes.
    void release();
    // Drops what was held and all that follows: the run is being stopped.
    void silence();

private:
    // "[shard 2 (testAvailable), run 1/3, try 1 of 3]": what a line does not say itself.
    static QString context(const RunResults &results, const RunResults::Origin &origin, bool withShard, bool withTry);
    // Prints the findings of a process in testName not shown yet; "" prints them all.
    void showFindings(const RunResults &results, const RunResults::Origin &origin, const QString &testName);

    QTextStream &m_out;
    bool m_holding = false;
    bool m_silent = false;
    QStringList m_held;
    // Each shard runs the hooks; a failure of one is shown in full once.
    QSet<QString> m_shownHookFailures;
    // Per suite process, findings waiting for the verdict of their function or row.
    QHash<int, QVector<DaemonFinding>> m_unshownFindings;
};

#endif // KORVUCHECK_PROGRESSREPORT_H
