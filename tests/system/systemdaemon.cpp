#include "systemdaemon.h"

#include "korvudprocess.h"

#include <QDir>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QUuid>
#include <QVariant>

SystemDaemon::SystemDaemon()
    : m_process(std::make_unique<KorvudProcess>(m_dataDir.path()))
{
    m_process->setPluginPaths(QStringLiteral(DELIVERYMOCKS_DIR), QStringLiteral(PLAVODELIVERY_DIR));
    if (!m_process->logToFile())
        qWarning("cannot create a folder for korvud's log");
}

SystemDaemon::~SystemDaemon() = default;

bool SystemDaemon::start()
{
    kill();
    if (m_process->start())
        return true;
    qWarning("korvud did not start listening: %s", standardError().constData());
    return false;
}

void SystemDaemon::kill() { m_process->kill(); }

bool SystemDaemon::isRunning() const { return m_process->process().state() == QProcess::Running; }

qint64 SystemDaemon::processId() const { return m_process->process().processId(); }

qint64 SystemDaemon::residentKiB() const { return m_process->residentKiB(); }

QByteArray SystemDaemon::standardError() const { return m_process->loggedStandardError(); }

QString SystemDaemon::dataPath() const { return m_dataDir.path(); }

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
