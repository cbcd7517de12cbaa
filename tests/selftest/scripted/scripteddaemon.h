#ifndef SCRIPTEDKORVUD_SCRIPTEDDAEMON_H
#define SCRIPTEDKORVUD_SCRIPTEDDAEMON_H

#include "idsource.h"
#include "methoddispatcher.h"
#include "replyplanner.h"
#include "requestlog.h"
#include "scenario.h"
#include "scripteddeliveryservice.h"
#include "scriptedthingmanager.h"

#include <QObject>

#include <memory>

class QTcpServer;

// An in-memory model of the daemon contract that misbehaves as its scenario
// says. Its state (things, deliveries, id counters, number of starts) lives in
// one JSON file in KORVU_DATA_DIR and is saved after every change.
class ScriptedDaemon : public QObject
{
    Q_OBJECT
public:
    ScriptedDaemon(const Scenario &scenario, const QString &dataDirectory, QObject *parent = nullptr);

    // Loads the saved state and opens the JSON-RPC port when the scenario says.
    bool start(QString *errorMessage);

private:
    QJsonObject loadState() const;
    void restore(const QJsonObject &state);
    void save();
    void listen();
    void acceptConnections();

    Scenario m_scenario;
    QString m_stateFile;
    int m_start = 0;
    IdSource m_ids;
    std::unique_ptr<RequestLog> m_requestLog;
    ScriptedThingManager *m_things = nullptr;
    ScriptedDeliveryService *m_deliveries = nullptr;
    std::unique_ptr<MethodDispatcher> m_dispatcher;
    std::unique_ptr<ReplyPlanner> m_planner;
    QTcpServer *m_server = nullptr;
};

#endif // SCRIPTEDKORVUD_SCRIPTEDDAEMON_H
