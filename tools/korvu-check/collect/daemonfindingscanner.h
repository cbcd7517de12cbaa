#ifndef KORVUCHECK_DAEMONFINDINGSCANNER_H
#define KORVUCHECK_DAEMONFINDINGSCANNER_H

#include "results/daemonfinding.h"

#include <QJsonObject>
#include <QSet>
#include <QVector>

#include <functional>

// Finds the reports of valgrind and the sanitizers in the daemon's output as
// the suite logs it, line by line with the function and row it logged them
// in, and the daemon's ends by a signal in the suite's traffic trace.
class DaemonFindingScanner
{
public:
    using FindingHandler = std::function<void(const DaemonFinding &)>;

    void setFindingHandler(const FindingHandler &handler);

    // function: "" for a line logged outside any function, which goes to the
    // hook that runs then.
    void addLine(const QString &function, const QString &row, const QString &line);
    // Hands on a report the daemon did not finish, as when it was killed.
    void finish();

    // Every daemon end the trace records as a crash without the suite's kill
    // of that process before it.
    static QVector<DaemonFinding> signalFindings(const QVector<QJsonObject> &traceEntries);

private:
    // A report whose end is still to come.
    struct OpenReport
    {
        DaemonFinding finding;
        QString pidPrefix; // valgrind's "==PID==", which every line of its report carries
    };

    bool startReport(const QString &function, const QString &row, const QString &line);
    // Whether the line continues the open report; closes it when the line ends it.
    bool continueReport(const QString &line);
    void handOn(const DaemonFinding &finding);

    FindingHandler m_handler;
    bool m_open = false;
    OpenReport m_report;
    bool m_seenFunction = false;
    // Processes whose valgrind errors were reported, so their summary adds nothing.
    QSet<QString> m_reportedValgrindPids;
};

#endif // KORVUCHECK_DAEMONFINDINGSCANNER_H
