#ifndef KORVUCHECK_SUITERUNNER_H
#define KORVUCHECK_SUITERUNNER_H

#include "collect/daemonfindingscanner.h"
#include "collect/testlogreader.h"
#include "results/runresults.h"
#include "run/isolation/isolatedprocess.h"
#include "run/isolation/networkisolation.h"
#include "run/runpool.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QProcess>
#include <QStringList>
#include <QTimer>

// Runs the suite once, in a network namespace of its own when the machine
// allows one, and reads the Qt Test XML log it writes to its standard output:
// verdicts, log lines and the findings in the daemon's output the suite logs
// are handed on as they arrive.
class SuiteRunner : public PoolJob
{
    Q_OBJECT
public:
    struct Setup
    {
        QString suite;
        QStringList arguments;
        QString workingDirectory;
        QProcessEnvironment environment;
        // When the run is past its start-up (PoolJob::startedUp): once the
        // suite's daemon listens, for a daemon that starts slowly under a
        // tool; else once the suite itself runs, which is most of the work.
        bool startUpIncludesDaemon = false;
        // --timeout: how long a function or row may run, counted from the
        // end of the one before it; 0 for no limit.
        int testTimeoutSecs = 0;
        // What the process is to run, the hooks among them, so that a row
        // that timed out before it logged anything can still be named.
        QStringList plannedTestNames;
    };

    SuiteRunner(const Setup &setup, const NetworkIsolation &isolation, QObject *parent = nullptr);

    void start() override;

    // After finished(): the exit status to report, the suite's own or 128 + N
    // after signal N.
    int exitStatus() const;
    bool hasBreak() const;
    // How the run broke off; its origin is the caller's to fill in.
    RunResults::BrokenOffProcess suiteBreak() const;
    QString testClass() const;
    QDateTime startTime() const;
    // The suite's process while it runs, 0 otherwise; with network namespaces
    // its /proc entry shows the namespace it and its daemon share.
    qint64 processId() const;
    // What the suite printed when it wrote no test log, as for -functions.
    QStringList plainOutput() const;
    // The function or row that ran past --timeout, once the run was stopped
    // for it; "" otherwise.
    QString timedOutTest() const;
    bool timedOut() const;

public slots:
    // Stops a running suite; exitStatus() is then 128 + signalNumber.
    void interrupt(int signalNumber);
    // Stops a running suite that the run has no more use for (--max-failures):
    // no break, and the rows it did not reach tell why they did not run.
    void stopUnneeded();

signals:
    void verdictRead(const TestVerdict &verdict);
    // A log message as the plain-text log shows it, or a line of standard error.
    void outputLine(const QString &line);
    // The same log message when a function or row logged it ("testDelivery(DPD Prio)").
    void lineLogged(const QString &testName, const QString &line);
    // A report in the daemon's output that the suite logged, under its function and row.
    void findingMade(const DaemonFinding &finding);

private:
    void readOutput();
    void noteStartedUp();
    void readErrors();
    void takeErrorLines(bool all);
    void remember(const QString &line);
    void onFinished();
    void setBreak(const QString &type, const QString &description, const QStringList &lastOutput);
    void checkTimeout();
    void stopGroup();
    QString suiteName() const;
    QString timeoutMessage() const;

    Setup m_setup;
    IsolatedProcess m_process;
    QElapsedTimer m_timer;
    QDateTime m_startTime;
    TestLogReader m_reader;
    DaemonFindingScanner m_scanner;
    QByteArray m_plainOutput;
    QByteArray m_errorBuffer;
    QStringList m_lastOutput;
    bool m_startedUp = false;
    QTimer m_timeoutCheck;
    bool m_timedOut = false;
    QString m_timedOutTest;
    bool m_stoppedUnneeded = false;
    int m_stopSignal = 0;
    bool m_finished = false;
    int m_exitStatus = 0;
    bool m_hasBreak = false;
    RunResults::BrokenOffProcess m_break;
};

#endif // KORVUCHECK_SUITERUNNER_H
