#ifndef KORVU_SYSTEM_SYSTEMDAEMON_H
#define KORVU_SYSTEM_SYSTEMDAEMON_H

#include <QString>
#include <QTemporaryDir>

#include <memory>

class KorvudProcess;

// The bundled system as a test runs it: korvud with the DeliveryMocks and
// PlavoDelivery plug-ins and a data folder of its own that outlives restarts.
class SystemDaemon
{
public:
    SystemDaemon();
    ~SystemDaemon();
    SystemDaemon(const SystemDaemon &) = delete;
    SystemDaemon &operator=(const SystemDaemon &) = delete;

    // Starts korvud, after a SIGKILL of the running one, and waits until it listens.
    bool start();
    // SIGKILL, and waits until the process is gone.
    void kill();
    bool isRunning() const;
    qint64 processId() const;
    // VmRSS in KiB; -1 when it cannot be read.
    qint64 residentKiB() const;
    // Everything korvud wrote to standard error so far, over all its starts.
    QByteArray standardError() const;

    QString dataPath() const;
    // The SQLite files korvud keeps in the data folder.
    QStringList databaseFiles() const;

    // "ok" when SQLite finds nothing wrong; else its findings or the reason it cannot check.
    static QString integrityCheck(const QString &databaseFile);

private:
    QTemporaryDir m_dataDir;
    std::unique_ptr<KorvudProcess> m_process;
};

#endif // KORVU_SYSTEM_SYSTEMDAEMON_H
