#ifndef SUITERUNNER_H
#define SUITERUNNER_H

#include "networkisolation.h"
#include "runsummary.h"
#include "txtlogparser.h"

#include <QElapsedTimer>
#include <QObject>
#include <QProcess>
#include <QStringList>

class JunitReport;
class QTextStream;

// Runs the suite with a txt log on its standard output, prints one line per
// verdict as it arrives and collects the summary and, when asked, the JUnit
// report.
class SuiteRunner : public QObject
{
    Q_OBJECT
public:
    struct Setup
    {
        QString suite;
        QStringList arguments;
        JunitReport *report = nullptr;
        QString workingDirectory;
        QProcessEnvironment environment;
        bool verbose = false;
    };

    SuiteRunner(const Setup &setup, const NetworkIsolation &isolation, QTextStream &out, QObject *parent = nullptr);

    // Runs the suite to its end and returns the exit status to report.
    int run();
    const RunSummary &summary() const;

public slots:
    // Stops a running suite; run() then returns 128 + signalNumber.
    void interrupt(int signalNumber);

private:
    QStringList suiteArguments() const;
    void readOutput();
    void readErrors();
    void handleLine(const QString &line);
    bool isOwnEnteringLine(const QString &line) const;
    void printVerdicts(const QVector<TestVerdict> &verdicts);
    void remember(const QString &line);
    void record(const QString &line);
    void reportAbnormalEnd(const QString &type, const QString &description, const QStringList &lastOutput);
    void finishOutput();
    int exitStatus();
    QString suiteName() const;
    void print(const QString &line);

    Setup m_setup;
    const NetworkIsolation &m_isolation;
    QTextStream &m_out;
    QProcess m_process;
    QElapsedTimer m_timer;
    TxtLogParser m_parser;
    RunSummary m_summary;
    QByteArray m_outputBuffer;
    QByteArray m_errorBuffer;
    QStringList m_lastOutput;
    int m_stopSignal = 0;
    bool m_callerChoseVerbosity = false;
};

#endif // SUITERUNNER_H
