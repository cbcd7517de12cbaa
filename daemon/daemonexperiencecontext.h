#ifndef KORVUD_DAEMONEXPERIENCECONTEXT_H
#define KORVUD_DAEMONEXPERIENCECONTEXT_H

#include "experienceplugin.h"

#include <QList>
#include <QPointer>

class JsonRpcServer;
class ThingRegistry;

// What one experience plug-in gets from the daemon. It remembers what the
// plug-in registered, so that all of it can be withdrawn again.
class DaemonExperienceContext : public ExperienceContext
{
public:
    DaemonExperienceContext(const QString &pluginName, const QString &dataDirectory, ThingRegistry *registry,
                            JsonRpcServer *server);
    ~DaemonExperienceContext() override;
    DaemonExperienceContext(const DaemonExperienceContext &) = delete;
    DaemonExperienceContext &operator=(const DaemonExperienceContext &) = delete;

    ThingManager *thingManager() const override;
    void registerJsonHandler(JsonHandler *handler) override;
    QSqlDatabase openDatabase(QString *errorMessage = nullptr) override;

    // Unregisters the plug-in's JSON-RPC handlers.
    void withdrawHandlers();
    // Only after the plug-in is gone: it may still hold the database.
    void closeDatabase();

    QString databasePath() const;

private:
    QString m_pluginName;
    QString m_dataDirectory;
    ThingRegistry *m_registry;
    JsonRpcServer *m_server;
    QList<QPointer<JsonHandler>> m_handlers;
    QString m_connectionName;
};

#endif // KORVUD_DAEMONEXPERIENCECONTEXT_H
