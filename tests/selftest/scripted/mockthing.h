#ifndef SCRIPTEDKORVUD_MOCKTHING_H
#define SCRIPTEDKORVUD_MOCKTHING_H

#include "httpserver.h"

#include <QJsonObject>
#include <QObject>
#include <QStringList>
#include <QUuid>

class MockDevice;
class RequestLog;
class Scenario;
class Thing;

// One thing of the scripted daemon. Things of the three mock classes are the
// DeliveryMocks plug-in's own: its thing classes, and its device serving the
// action history and the scanner's events on the class's control port while
// the thing exists. On top of that come the scenario's faults: control-port
// answers, a gate that does not move, a port that never opens. Things of any
// other class (only ever restored from a scenario's initial state) are inert.
class MockThing : public QObject
{
    Q_OBJECT
public:
    enum class Kind { Gate, Scanner, Notifier, Other };

    // idText and classIdText are listed exactly as given.
    MockThing(const QString &idText, const QString &classIdText, const QString &name, const Scenario &scenario,
              RequestLog *requestLog, QObject *parent = nullptr);

    static Kind kindOf(const QUuid &classId);

    QUuid id() const;
    Kind kind() const;
    // The thing as the delivery rules see it: its class, with its interfaces.
    Thing *thing() const;

    // Opens the control port unless the scenario keeps it closed.
    bool startServing(QString *errorMessage);

    void executeAction(const QUuid &actionTypeId);
    bool isGateOpen() const;
    QString gateStateText() const;

    QJsonObject toJson() const;

signals:
    void codeScanned(const QString &code);

private:
    HttpResponse applyRules(const HttpRequest &request, const HttpResponse &response) const;
    QStringList historyLines() const;

    QString m_idText;
    QString m_classIdText;
    QUuid m_classId;
    Kind m_kind;
    // 0 for a class without one.
    quint16 m_controlPort;
    const Scenario &m_scenario;
    RequestLog *m_requestLog;
    Thing *m_thing;
    MockDevice *m_device = nullptr;
    bool m_gateOpen = false;
};

#endif // SCRIPTEDKORVUD_MOCKTHING_H
