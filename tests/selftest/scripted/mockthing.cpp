#include "mockthing.h"

#include "deliverymocksclasses.h"
#include "deliverymocksids.h"
#include "mockdevice.h"
#include "requestlog.h"
#include "scenario.h"
#include "thing.h"
#include "uuidtext.h"

#include <QJsonArray>

using namespace DeliveryMocksIds;

namespace {

ThingClass thingClassOf(MockThing::Kind kind, const QUuid &classId)
{
    switch (kind) {
    case MockThing::Kind::Gate:
        return DeliveryMocksClasses::garageGate();
    case MockThing::Kind::Scanner:
        return DeliveryMocksClasses::parcelScanner();
    case MockThing::Kind::Notifier:
        return DeliveryMocksClasses::notificationDevice();
    case MockThing::Kind::Other:
        break;
    }
    return ThingClass(classId, QStringLiteral("Unknown"));
}

QByteArray historyBody(const QStringList &lines)
{
    QByteArray body;
    for (const QString &line : lines)
        body += line.toUtf8() + '\n';
    return body;
}

} // namespace

MockThing::MockThing(const QString &idText, const QString &classIdText, const QString &name, const Scenario &scenario,
                     RequestLog *requestLog, QObject *parent)
    : QObject(parent)
    , m_idText(idText)
    , m_classIdText(classIdText)
    , m_classId(QUuid::fromString(classIdText))
    , m_kind(kindOf(m_classId))
    , m_controlPort(DeliveryMocksClasses::controlPort(m_classId))
    , m_scenario(scenario)
    , m_requestLog(requestLog)
    , m_thing(new Thing(QUuid::fromString(idText), thingClassOf(m_kind, m_classId), name, this))
{
    connect(m_thing, &Thing::eventTriggered, this, [this](const Event &event) {
        if (event.eventTypeId == parcelScannerCodeScannedEventTypeId)
            emit codeScanned(event.params.value(QStringLiteral("content")).toString());
    });
}

MockThing::Kind MockThing::kindOf(const QUuid &classId)
{
    if (classId == garageGateThingClassId)
        return Kind::Gate;
    if (classId == parcelScannerThingClassId)
        return Kind::Scanner;
    if (classId == notificationDeviceThingClassId)
        return Kind::Notifier;
    return Kind::Other;
}

QUuid MockThing::id() const { return m_thing->id(); }

MockThing::Kind MockThing::kind() const { return m_kind; }

Thing *MockThing::thing() const { return m_thing; }

bool MockThing::startServing(QString *errorMessage)
{
    if (!m_controlPort || m_scenario.closedPorts.contains(m_controlPort))
        return true;
    m_device = new MockDevice(m_thing, this);
    m_device->setResponseFilter([this](const HttpRequest &request, const HttpResponse &response) {
        m_requestLog->recordHttp(m_controlPort, QString::fromUtf8(request.requestLine()));
        return applyRules(request, response);
    });
    return m_device->start(m_controlPort, errorMessage);
}

void MockThing::executeAction(const QUuid &actionTypeId)
{
    if (m_device)
        m_device->recordAction(Action{m_thing->id(), actionTypeId, {}});
    if (m_kind != Kind::Gate)
        return;
    if (actionTypeId == garageGateOpenActionTypeId && m_scenario.gateOpens)
        m_gateOpen = true;
    else if (actionTypeId == garageGateCloseActionTypeId && m_scenario.gateCloses)
        m_gateOpen = false;
}

bool MockThing::isGateOpen() const { return m_gateOpen; }

QString MockThing::gateStateText() const { return m_gateOpen ? m_scenario.gateOpenText : QStringLiteral("closed"); }

QJsonObject MockThing::toJson() const
{
    QJsonArray states;
    if (m_kind == Kind::Gate) {
        states.append(QJsonObject{
            {"stateTypeId", Korvu::idText(garageGateStateStateTypeId)},
            {"value", gateStateText()},
        });
    }
    return QJsonObject{
        {"id", m_idText},
        {"thingClassId", m_classIdText},
        {"name", m_thing->name()},
        {"states", states},
    };
}

HttpResponse MockThing::applyRules(const HttpRequest &request, const HttpResponse &response) const
{
    int statusCode = response.statusCode();
    QByteArray body = response.body();
    const QList<Scenario::HttpRule> rules = m_scenario.httpRulesFor(m_controlPort, request.path());
    if (rules.isEmpty())
        return response;
    for (const Scenario::HttpRule &rule : rules) {
        if (rule.status)
            statusCode = rule.status;
        if (rule.hasLines || !rule.extraLines.isEmpty())
            body = historyBody((rule.hasLines ? rule.lines : historyLines()) + rule.extraLines);
        if (rule.hasBody)
            body = rule.body;
    }
    return HttpResponse(statusCode, body);
}

QStringList MockThing::historyLines() const
{
    QStringList lines;
    const QList<QUuid> history = m_device->actionHistory();
    for (const QUuid &actionTypeId : history)
        lines.append(actionTypeId.toString());
    return lines;
}
