#ifndef KORVUD_DAEMON_H
#define KORVUD_DAEMON_H

#include "pluginloader.h"
#include "thingstore.h"

#include <QList>
#include <QObject>
#include <QString>

#include <memory>
#include <vector>

class DaemonExperienceContext;
class ExperiencePlugin;
class IntegrationPlugin;
class IntegrationsHandler;
class JsonRpcHandler;
class JsonRpcServer;
class ThingRegistry;

// Wires the daemon together: the thing store and registry, the plug-ins and
// the JSON-RPC server. Owns all of them and takes them down in order.
class Daemon : public QObject
{
    Q_OBJECT
public:
    explicit Daemon(const QString &dataDirectory, QObject *parent = nullptr);
    ~Daemon() override;

    // Loads the plug-ins, sets up the stored things and starts listening.
    // On failure errorMessage holds one line saying why.
    bool start(QString *errorMessage);

private:
    void loadIntegrationPlugins();
    void loadExperiencePlugins();
    bool initializeExperience(ExperiencePlugin *plugin);

    QString m_dataDirectory;
    PluginLoader m_pluginLoader;
    ThingStore m_store;
    ThingRegistry *m_registry;
    JsonRpcServer *m_server;
    JsonRpcHandler *m_jsonRpcHandler;
    IntegrationsHandler *m_integrationsHandler;
    QList<IntegrationPlugin *> m_integrationPlugins;
    QList<ExperiencePlugin *> m_experiencePlugins;
    std::vector<std::unique_ptr<DaemonExperienceContext>> m_experienceContexts;
};

#endif // KORVUD_DAEMON_H
