#ifndef KORVU_SUPPORT_KORVUDPROCESS_H
#define KORVU_SUPPORT_KORVUDPROCESS_H

#include <QObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <memory>

// One korvud child process with its own data folder and plug-in paths. Tests,
// the system tests and the benchmark all start the daemon through it.
class KorvudProcess : public QObject
{
    Q_OBJECT
public:
    explicit KorvudProcess(const QString &dataDirectory, QObject *parent = nullptr);
    ~KorvudProcess() override;

    void setEnvironmentValue(const QString &name, const QString &value);
    // The folders korvud loads its thing and its experience plug-ins from.
    void setPluginPaths(const QString &pluginsPath, const QString &experiencePluginsPath);
    // Sends standard error to a file of its own, appended to over all starts,
    // instead of a pipe: a caller that blocks in socket calls without an event
    // loop would otherwise stall a daemon that logs more than a pipe holds.
    // False when no temporary folder can be made for it.
    bool logToFile();

    // Starts korvud -n and waits until port 2222 accepts connections.
    bool start(int timeoutMs = 10000);
    // Starts korvud -n and waits for it to end by itself.
    bool startAndWaitForExit(int timeoutMs = 10000);
    void kill();
    // SIGTERM; true when it then ends within the time-out.
    bool terminate(int timeoutMs = 10000);

    qint64 msecsUntilListening() const;
    // VmRSS of the running process in KiB; -1 when it cannot be read.
    qint64 residentKiB() const;
    QProcess &process();
    QByteArray readStandardError();
    // Everything korvud wrote to the file of logToFile() so far.
    QByteArray loggedStandardError() const;

    static bool portAcceptsConnections();

private:
    void launch();
    QString logFilePath() const;

    QProcess m_process;
    QProcessEnvironment m_environment;
    qint64 m_msecsUntilListening = -1;
    std::unique_ptr<QTemporaryDir> m_logDir;
};

#endif // KORVU_SUPPORT_KORVUDPROCESS_H
