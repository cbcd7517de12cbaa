#include "systemdaemon.h"

#include "korvudprocess.h"

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QUuid>
#include <QVariant>

SystemDaemon::SystemDaemon() = default;

SystemDaemon::~SystemDaemon() { kill(); }

bool SystemDaemon::start()
{
    kill();
    m_process = std::make_unique<KorvudProcess>(m_dataDir.path());
    m_process->setEnvironmentValue(QStringLiteral("KORVU_PLUGINS_PATH"), QStringLiteral(DELIVERYMOCKS_DIR));
    m_process->setEnvironmentValue(QStringLiteral("KORVU_EXPERIENCE_PLUGINS_PATH"), QStringLiteral(PLAVODELIVERY_DIR));
    // To a file, not a pipe: these tests block in socket calls without an
    // event loop, and a daemon that logs more than a pipe holds would stall.
    m_process->process().setStandardErrorFile(logFilePath(), QIODevice::Append);
    if (m_process->start())
        return true;
    qWarning("korvud did not start listening: %s", standardError().constData());
    return false;
}

void SystemDaemon::kill()
{
    if (!m_process)
        return;
    m_process->kill();
    m_process.reset();
}

bool SystemDaemon::isRunning() const { return m_process && m_process->process().state() == QProcess::Running; }

qint64 SystemDaemon::processId() const { return m_process ? m_process->process().processId() : 0; }

qint64 SystemDaemon::residentKiB() const { return m_process ? m_process->residentKiB() : -1; }

QByteArray SystemDaemon::standardError() const
{
    QFile log(logFilePath());
    return log.open(QIODevice::ReadOnly) ? log.readAll() : QByteArray();
}

QString SystemDaemon::dataPath() const { return m_dataDir.path(); }

QString SystemDaemon::logFilePath() const { return m_logDir.filePath(QStringLiteral("korvud.log")); }

QStringList SystemDaemon::databaseFiles() const
{
    QStringList files;
    const QDir dataDir(m_dataDir.path());
    for (const QString &name : dataDir.entryList({QStringLiteral("*.sqlite")}, QDir::Files, QDir::Name))
        files.append(dataDir.filePath(name));
    return files;
}

QString SystemDaemon::integrityCheck(const QString &databaseFile)
{
    const QString connectionName = QStringLiteral("integrity-%1").arg(QUuid::createUuid().toString());
    QString verdict;
    {
        QSqlDatabase database = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName);
        database.setDatabaseName(databaseFile);
        if (!database.open()) {
            verdict = database.lastError().text();
        } else {
            QSqlQuery query(database);
            if (!query.exec(QStringLiteral("PRAGMA integrity_check"))) {
                verdict = query.lastError().text();
            } else {
                QStringList findings;
                while (query.next())
                    findings.append(query.value(0).toString());
                verdict = findings.join(QLatin1Char('\n'));
            }
        }
        database.close();
    }
    QSqlDatabase::removeDatabase(connectionName);
    return verdict;
}
