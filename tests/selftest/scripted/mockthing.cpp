#include "mockthing.h"

#include "httpserver.h"
#include "mockids.h"
#include "requestlog.h"
#include "scenario.h"

#include <QJsonArray>
#include <QUrl>
#include <QUrlQuery>

MockThing::MockThing(const QString &idText, const QString &classIdText, const QString &name, const Scenario &scenario,
                     RequestLog *requestLog, QObject *parent)
    : QObject(parent)
    , m_idText(idText)
    , m_classIdText(classIdText)
    , m_name(name)
    , m_id(QUuid::fromString(idText))
    , m_kind(kindOf(QUuid::fromString(classIdText)))
    , m_scenario(scenario)
    , m_requestLog(requestLog)
{
}

MockThing::Kind MockThing::kindOf(const QUuid &classId)
{
    if (classId == MockIds::gateClass)
        return Kind::Gate;
    if (classId == MockIds::scannerClass)
        return Kind::Scanner;
    if (classId == MockIds::notifierClass)
        return Kind::Notifier;
    return Kind::Other;
}

quint16 MockThing::portOf(Kind kind)
{
    switch (kind) {
    case Kind::Gate:
        return 6655;
    case Kind::Scanner:
        return 6656;
    case Kind::Notifier:
        return 6657;
    case Kind::Other:
        break;
    }
    return 0;
}

QUuid MockThing::id() const { return m_id; }

MockThing::Kind MockThing::kind() const { return m_kind; }

bool MockThing::hasPort() const { return portOf(m_kind) != 0; }

bool MockThing::startServing(QString *errorMessage)
{
    const quint16 port = portOf(m_kind);
    if (!port || m_scenario.closedPorts.contains(port))
        return true;
    m_server = new HttpServer(
        port, [this](const HttpRequest &request) { return handle(request); }, this);
    return m_server->listen(errorMessage);
}

void MockThing::executeAction(const QUuid &actionTypeId)
{
    m_history.append(actionTypeId.toString());
    if (m_kind != Kind::Gate)
        return;
    if (actionTypeId == MockIds::openAction && m_scenario.gateOpens)
        m_gateOpen = true;
    else if (actionTypeId == MockIds::closeAction && m_scenario.gateCloses)
        m_gateOpen = false;
}

bool MockThing::isGateOpen() const { return m_gateOpen; }

QString MockThing::gateStateText() const { return m_gateOpen ? m_scenario.gateOpenText : QStringLiteral("closed"); }

QJsonObject MockThing::toJson() const
{
    QJsonArray states;
    if (m_kind == Kind::Gate) {
        states.append(QJsonObject{
            {"stateTypeId", MockIds::gateState.toString(QUuid::WithoutBraces)},
            {"value", gateStateText()},
        });
    }
    return QJsonObject{
        {"id", m_idText},
        {"thingClassId", m_classIdText},
        {"name", m_name},
        {"states", states},
    };
}

HttpResponse MockThing::handle(const HttpRequest &request)
{
    m_requestLog->recordHttp(portOf(m_kind), request.requestLine);
    const QUrl url(QStringLiteral("http://localhost") + request.url);
    const QString path = url.path();
    HttpResponse response;
    if (path != "/actionhistory" && !(path == "/generateevent" && m_kind == Kind::Scanner))
        response = {404, QByteArray("Not found\n")};
    else if (request.method != "GET")
        response = {405, QByteArray("Method not allowed\n")};
    else if (path == "/generateevent")
        response = handleGenerateEvent(url.query());
    else
        response = {200, historyBody(m_history)};
    return applyRules(path, response);
}

HttpResponse MockThing::handleGenerateEvent(const QString &query)
{
    const QUrlQuery items(query);
    const QUuid eventTypeId = QUuid::fromString(items.queryItemValue("eventTypeId", QUrl::FullyDecoded));
    if (eventTypeId != MockIds::codeScannedEvent || !items.hasQueryItem("content"))
        return {400, QByteArray("Unknown event type or missing parameter\n")};
    // Everything the scan causes happens inside this emission, before the reply.
    emit codeScanned(items.queryItemValue("content", QUrl::FullyDecoded));
    return {200, QByteArray()};
}

HttpResponse MockThing::applyRules(const QString &path, HttpResponse response) const
{
    const QList<Scenario::HttpRule> rules = m_scenario.httpRulesFor(portOf(m_kind), path);
    for (const Scenario::HttpRule &rule : rules) {
        if (rule.status)
            response.status = rule.status;
        if (rule.hasLines || !rule.extraLines.isEmpty())
            response.body = historyBody((rule.hasLines ? rule.lines : m_history) + rule.extraLines);
        if (rule.hasBody)
            response.body = rule.body.toUtf8();
    }
    return response;
}

QByteArray MockThing::historyBody(const QStringList &lines) const
{
    QByteArray body;
    for (const QString &line : lines)
        body += line.toUtf8() + '\n';
    return body;
}
