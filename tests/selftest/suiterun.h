#ifndef SELFTEST_SUITERUN_H
#define SELFTEST_SUITERUN_H

#include "collect/testlogreader.h"
#include "requestrecord.h"
#include "run/isolation/networkisolation.h"
#include "run/runpool.h"

#include <QElapsedTimer>
#include <QJsonObject>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

class QTimer;

// One run of the real suite binary against the scripted daemon, inside a
// private network namespace of its own, with a fresh data folder and request
// log. After finished() the XML log and the request log are read back.
class SuiteRun : public PoolJob
{
    Q_OBJECT
public:
    struct Setup
    {
        QString suiteBinary;
        QString scriptedDaemonDirectory;
        QString scenarioDirectory;
        NetworkIsolation isolation;
    };

    SuiteRun(const Setup &setup, const QString &scenario, const QStringList &suiteArguments, int timeoutMs,
             QObject *parent = nullptr);

    // Has the suite trace its traffic (KORVU_TRACE_FILE) into the run's folder.
    void traceTraffic();

    void start() override;

    bool timedOut() const;
    int exitCode() const;
    qint64 elapsedMs() const;
    QString errorString() const; // empty when the run and both logs were read fine
    TestLog log() const;
    RequestRecord requests() const;
    QString consoleOutput() const;
    // The traced exchanges, one JSON object each, in the order written; a line
    // cut short is an empty object.
    QVector<QJsonObject> trace() const;
    QString commandLine() const;

    // Keeps the run's folder (logs, data, console output) for a look afterwards.
    QString keepFiles();

private:
    void onFinished(int exitCode, QProcess::ExitStatus exitStatus);
    void onTimeout();
    QProcessEnvironment environment() const;
    QString filePath(const QString &name) const;

    Setup m_setup;
    QString m_scenario;
    QStringList m_suiteArguments;
    int m_timeoutMs;
    bool m_traced = false;
    QTemporaryDir m_directory;
    QProcess *m_process;
    QTimer *m_timer;
    QElapsedTimer m_elapsed;
    qint64 m_elapsedMs = 0;
    bool m_timedOut = false;
    int m_exitCode = -1;
    QString m_error;
    TestLog m_log;
    RequestRecord m_requests;
};

#endif // SELFTEST_SUITERUN_H
