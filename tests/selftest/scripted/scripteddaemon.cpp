#include "scripteddaemon.h"

#include "jsonrpcserver.h"
#include "scriptedrpcconnection.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QSaveFile>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTextStream>
#include <QTimer>

ScriptedDaemon::ScriptedDaemon(const Scenario &scenario, const QString &dataDirectory, QObject *parent)
    : QObject(parent)
    , m_scenario(scenario)
    , m_stateFile(QDir(dataDirectory).filePath(QStringLiteral("scripted-korvud.json")))
{
}

bool ScriptedDaemon::start(QString *errorMessage)
{
    if (!QDir().mkpath(QFileInfo(m_stateFile).absolutePath())) {
        *errorMessage = QStringLiteral("cannot create the data folder of %1").arg(m_stateFile);
        return false;
    }
    QJsonObject state = loadState();
    m_start = state.value("starts").toInt() + 1;
    m_requestLog = std::make_unique<RequestLog>(qEnvironmentVariable("KORVU_REQUEST_LOG"), m_start);
    m_things = new ScriptedThingManager(m_scenario, m_requestLog.get(), this);
    m_deliveries = new ScriptedDeliveryService(m_scenario, m_things, &m_ids, this);
    m_dispatcher = std::make_unique<MethodDispatcher>(m_scenario, m_things, m_deliveries, &m_ids);
    m_planner = std::make_unique<ReplyPlanner>(m_scenario, m_start, m_dispatcher.get(),
                                               [this] { return m_deliveries->lastAddedId(); });

    if (m_start == 1)
        state = QJsonObject{{"things", m_scenario.initialState.value("things")},
                            {"deliveries", m_scenario.initialState.value("deliveries")}};
    else if (m_scenario.forgetOnRestart)
        state = QJsonObject{{"ids", state.value("ids")}};
    restore(state);
    save();
    connect(m_things, &ScriptedThingManager::changed, this, &ScriptedDaemon::save);
    connect(m_deliveries, &ScriptedDeliveryService::changed, this, &ScriptedDaemon::save);

    if (m_start > 1 && !m_scenario.listenAfterRestart)
        return true;
    if (m_scenario.listenAfterMs > 0)
        QTimer::singleShot(m_scenario.listenAfterMs, Qt::PreciseTimer, this, &ScriptedDaemon::listen);
    else if (m_scenario.listenAfterMs == 0)
        listen();
    return true;
}

QJsonObject ScriptedDaemon::loadState() const
{
    QFile file(m_stateFile);
    if (!file.open(QIODevice::ReadOnly))
        return QJsonObject();
    return QJsonDocument::fromJson(file.readAll()).object();
}

void ScriptedDaemon::restore(const QJsonObject &state)
{
    m_ids.restore(state.value("ids").toObject());
    m_things->restore(state.value("things").toArray());
    m_deliveries->restore(state.value("deliveries").toArray());
}

void ScriptedDaemon::save()
{
    const QJsonObject state{
        {"starts", m_start},
        {"ids", m_ids.toJson()},
        {"things", m_things->toJson()},
        {"deliveries", m_deliveries->toJson()},
    };
    QSaveFile file(m_stateFile);
    if (!file.open(QIODevice::WriteOnly)) {
        QTextStream(stderr) << "korvud (scripted): cannot save " << m_stateFile << ": " << file.errorString() << '\n';
        return;
    }
    file.write(QJsonDocument(state).toJson());
    if (!file.commit())
        QTextStream(stderr) << "korvud (scripted): cannot save " << m_stateFile << ": " << file.errorString() << '\n';
}

void ScriptedDaemon::listen()
{
    m_server = new QTcpServer(this);
    connect(m_server, &QTcpServer::newConnection, this, &ScriptedDaemon::acceptConnections);
    if (!m_server->listen(QHostAddress::LocalHost, JsonRpcServer::DefaultPort)) {
        QTextStream(stderr) << "korvud (scripted): cannot listen on 127.0.0.1:" << JsonRpcServer::DefaultPort << ": "
                            << m_server->errorString() << '\n';
        QCoreApplication::exit(1);
    }
}

void ScriptedDaemon::acceptConnections()
{
    while (QTcpSocket *socket = m_server->nextPendingConnection())
        new ScriptedRpcConnection(socket, m_planner.get(), m_requestLog.get(), this);
}
