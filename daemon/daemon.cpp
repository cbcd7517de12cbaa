#include "daemon.h"

#include "daemonexperiencecontext.h"
#include "experienceplugin.h"
#include "integrationplugin.h"
#include "integrationshandler.h"
#include "jsonrpchandler.h"
#include "jsonrpcserver.h"
#include "loggingcategories.h"
#include "thingregistry.h"

#include <QDir>

namespace {

QString environmentValue(const char *name) { return QString::fromLocal8Bit(qgetenv(name)); }

} // namespace

Daemon::Daemon(const QString &dataDirectory, QObject *parent)
    : QObject(parent)
    , m_dataDirectory(dataDirectory)
    , m_registry(new ThingRegistry(&m_store))
    , m_server(new JsonRpcServer())
    , m_jsonRpcHandler(new JsonRpcHandler(this))
    , m_integrationsHandler(new IntegrationsHandler(m_registry, this))
{
    m_server->registerHandler(m_jsonRpcHandler);
    m_server->registerHandler(m_integrationsHandler);
}

Daemon::~Daemon()
{
    for (const auto &context : m_experienceContexts)
        context->withdrawHandlers();
    delete m_server;

    // Experiences use the things, the things are run by the integrations.
    qDeleteAll(m_experiencePlugins);
    m_registry->releaseThings();
    qDeleteAll(m_integrationPlugins);

    m_experienceContexts.clear();
    delete m_registry;
}

bool Daemon::start(QString *errorMessage)
{
    const QString databasePath = QDir(m_dataDirectory).filePath(QStringLiteral("things.sqlite"));
    if (!m_store.open(databasePath, errorMessage))
        return false;

    loadIntegrationPlugins();
    m_registry->restoreThings();
    loadExperiencePlugins();

    if (!m_server->listen()) {
        *errorMessage = QStringLiteral("cannot listen on 127.0.0.1:%1: %2")
                            .arg(JsonRpcServer::DefaultPort)
                            .arg(m_server->errorString());
        return false;
    }
    qCDebug(dcJsonRpc) << "Listening on 127.0.0.1 port" << JsonRpcServer::DefaultPort;
    return true;
}

void Daemon::loadIntegrationPlugins()
{
    const QList<IntegrationPlugin *> plugins = m_pluginLoader.load<IntegrationPlugin>(
        environmentValue("KORVU_PLUGINS_PATH"), dcThingManager());
    for (IntegrationPlugin *plugin : plugins) {
        m_integrationPlugins.append(plugin);
        m_registry->addIntegrationPlugin(plugin);
        qCDebug(dcThingManager) << "Integration plug-in" << plugin->pluginName() << "loaded";
    }
}

void Daemon::loadExperiencePlugins()
{
    QVariantList experiences;
    const QList<ExperiencePlugin *> plugins = m_pluginLoader.load<ExperiencePlugin>(
        environmentValue("KORVU_EXPERIENCE_PLUGINS_PATH"), dcExperiences());
    for (ExperiencePlugin *plugin : plugins) {
        if (!initializeExperience(plugin))
            continue;
        experiences.append(
            QVariantMap{{QStringLiteral("name"), plugin->name()}, {QStringLiteral("version"), plugin->version()}});
    }
    m_jsonRpcHandler->setExperiences(experiences);
}

bool Daemon::initializeExperience(ExperiencePlugin *plugin)
{
    auto context = std::make_unique<DaemonExperienceContext>(plugin->name(), m_dataDirectory, m_registry, m_server);
    QString errorMessage;
    if (!plugin->initialize(context.get(), &errorMessage)) {
        qCWarning(dcExperiences) << "Experience" << plugin->name()
                                 << "failed to initialize and is unloaded:" << errorMessage;
        context->withdrawHandlers();
        // The library itself stays mapped: objects the plug-in scheduled for
        // deferred deletion still need its code.
        delete plugin;
        context->closeDatabase();
        return false;
    }
    m_experiencePlugins.append(plugin);
    m_experienceContexts.push_back(std::move(context));
    qCDebug(dcExperiences) << "Experience" << plugin->name() << plugin->version() << "initialized";
    return true;
}
