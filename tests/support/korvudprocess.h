#ifndef KORVU_SUPPORT_KORVUDPROCESS_H
#define KORVU_SUPPORT_KORVUDPROCESS_H

#include <QObject>
#include <QProcess>
#include <QProcessEnvironment>

// One korvud child process with its own data folder and plug-in paths. Tests,
// the system tests and the benchmark all start the daemon through it.
class KorvudProcess : public QObject
{
    Q_OBJECT
public:
    explicit KorvudProcess(const QString &dataDirectory, QObject *parent = nullptr);
    ~KorvudProcess() override;

    void setEnvironmentValue(const QString &name, const QString &value);

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

    static bool portAcceptsConnections();

private:
    void launch();

    QProcess m_process;
    QProcessEnvironment m_environment;
    qint64 m_msecsUntilListening = -1;
};

#endif // KORVU_SUPPORT_KORVUDPROCESS_H
