#include "korvudprocess.h"

#include "jsonrpcserver.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QHostAddress>
#include <QTcpSocket>
#include <QThread>

KorvudProcess::KorvudProcess(const QString &dataDirectory, QObject *parent)
    : QObject(parent)
    , m_environment(QProcessEnvironment::systemEnvironment())
{
    m_environment.remove(QStringLiteral("KORVU_PLUGINS_PATH"));
    m_environment.remove(QStringLiteral("KORVU_EXPERIENCE_PLUGINS_PATH"));
    m_environment.insert(QStringLiteral("KORVU_DATA_DIR"), dataDirectory);
    m_process.setProgram(QStringLiteral(KORVUD_PATH));
    m_process.setArguments({QStringLiteral("-n")});
}

KorvudProcess::~KorvudProcess() { kill(); }

void KorvudProcess::setEnvironmentValue(const QString &name, const QString &value)
{
    m_environment.insert(name, value);
}

void KorvudProcess::setPluginPaths(const QString &pluginsPath, const QString &experiencePluginsPath)
{
    m_environment.insert(QStringLiteral("KORVU_PLUGINS_PATH"), pluginsPath);
    m_environment.insert(QStringLiteral("KORVU_EXPERIENCE_PLUGINS_PATH"), experiencePluginsPath);
}

bool KorvudProcess::logToFile()
{
    m_logDir = std::make_unique<QTemporaryDir>();
    if (!m_logDir->isValid()) {
        m_logDir.reset();
        return false;
    }
    m_process.setStandardErrorFile(logFilePath(), QIODevice::Append);
    return true;
}

bool KorvudProcess::start(int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    launch();
    const QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired() && m_process.state() != QProcess::NotRunning) {
        if (portAcceptsConnections()) {
            m_msecsUntilListening = clock.elapsed();
            return true;
        }
        QThread::msleep(1);
    }
    return false;
}

bool KorvudProcess::startAndWaitForExit(int timeoutMs)
{
    launch();
    return m_process.waitForFinished(timeoutMs);
}

void KorvudProcess::kill()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.kill();
    m_process.waitForFinished(10000);
}

bool KorvudProcess::terminate(int timeoutMs)
{
    m_process.terminate();
    return m_process.waitForFinished(timeoutMs);
}

qint64 KorvudProcess::msecsUntilListening() const { return m_msecsUntilListening; }

qint64 KorvudProcess::residentKiB() const
{
    QFile status(QStringLiteral("/proc/%1/status").arg(m_process.processId()));
    if (m_process.state() != QProcess::Running || !status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    }
    return -1;
}

QProcess &KorvudProcess::process() { return m_process; }
QByteArray KorvudProcess::readStandardError()
{
    // A running process's output reaches QProcess only through the event loop.
    if (m_process.state() == QProcess::Running)
        QCoreApplication::processEvents();
    return m_process.readAllStandardError();
}

QByteArray KorvudProcess::loggedStandardError() const
{
    if (!m_logDir)
        return QByteArray();
    QFile log(logFilePath());
    return log.open(QIODevice::ReadOnly) ? log.readAll() : QByteArray();
}

bool KorvudProcess::portAcceptsConnections()
{
    QTcpSocket probe;
    probe.connectToHost(QHostAddress::LocalHost, JsonRpcServer::DefaultPort);
    return probe.waitForConnected(200);
}

QString KorvudProcess::logFilePath() const { return m_logDir->filePath(QStringLiteral("korvud.log")); }

void KorvudProcess::launch()
{
    m_process.setProcessEnvironment(m_environment);
    m_process.start();
    m_process.waitForStarted(10000);
}
