#include "daemonexperiencecontext.h"

#include "jsonhandler.h"
#include "jsonrpcserver.h"
#include "loggingcategories.h"
#include "storage.h"
#include "thingregistry.h"

#include <QDir>
#include <QRegularExpression>

DaemonExperienceContext::DaemonExperienceContext(const QString &pluginName, const QString &dataDirectory,
                                                 ThingRegistry *registry, JsonRpcServer *server)
    : m_pluginName(pluginName)
    , m_dataDirectory(dataDirectory)
    , m_registry(registry)
    , m_server(server)
{
}

DaemonExperienceContext::~DaemonExperienceContext()
{
    withdrawHandlers();
    closeDatabase();
}

ThingManager *DaemonExperienceContext::thingManager() const { return m_registry; }

void DaemonExperienceContext::registerJsonHandler(JsonHandler *handler)
{
    if (!handler)
        return;
    if (m_server->registerHandler(handler))
        m_handlers.append(handler);
    else
        qCWarning(dcExperiences) << "Experience" << m_pluginName << "cannot register the JSON-RPC namespace"
                                 << handler->name();
}

QSqlDatabase DaemonExperienceContext::openDatabase(QString *errorMessage)
{
    if (!m_connectionName.isEmpty())
        return QSqlDatabase::database(m_connectionName);

    const QString connectionName = QStringLiteral("experience-%1").arg(m_pluginName);
    QSqlDatabase database = Storage::open(databasePath(), connectionName, errorMessage);
    if (database.isValid()) {
        m_connectionName = connectionName;
        qCDebug(dcExperiences) << "Opened database" << databasePath() << "for experience" << m_pluginName;
    }
    return database;
}

void DaemonExperienceContext::withdrawHandlers()
{
    for (const QPointer<JsonHandler> &handler : qAsConst(m_handlers)) {
        if (handler)
            m_server->unregisterHandler(handler);
    }
    m_handlers.clear();
}

void DaemonExperienceContext::closeDatabase()
{
    if (m_connectionName.isEmpty())
        return;
    QSqlDatabase::database(m_connectionName, false).close();
    QSqlDatabase::removeDatabase(m_connectionName);
    m_connectionName.clear();
}

QString DaemonExperienceContext::databasePath() const
{
    // The name comes from the plug-in: keep it from reaching outside the data folder.
    QString fileName = m_pluginName.toLower();
    fileName.replace(QRegularExpression(QStringLiteral("[^a-z0-9_-]")), QStringLiteral("_"));
    return QDir(m_dataDirectory).filePath(fileName + QStringLiteral(".sqlite"));
}
