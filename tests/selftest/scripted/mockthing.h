#ifndef MOCKTHING_H
#define MOCKTHING_H

#include "httpmessage.h"

#include <QJsonObject>
#include <QObject>
#include <QStringList>
#include <QUuid>

class HttpServer;
class RequestLog;
class Scenario;

// One thing of the scripted daemon. Things of the three mock classes keep an
// action history and serve it on their class's control port while they exist;
// things of any other class (only ever restored from a scenario's initial
// state) are inert.
class MockThing : public QObject
{
    Q_OBJECT
public:
    enum class Kind { Gate, Scanner, Notifier, Other };

    // idText and classIdText are listed exactly as given.
    MockThing(const QString &idText, const QString &classIdText, const QString &name, const Scenario &scenario,
              RequestLog *requestLog, QObject *parent = nullptr);

    static Kind kindOf(const QUuid &classId);
    static quint16 portOf(Kind kind);

    QUuid id() const;
    Kind kind() const;
    bool hasPort() const;

    // Opens the control port unless the scenario keeps it closed.
    bool startServing(QString *errorMessage);

    void executeAction(const QUuid &actionTypeId);
    bool isGateOpen() const;
    QString gateStateText() const;

    QJsonObject toJson() const;

signals:
    void codeScanned(const QString &code);

private:
    HttpResponse handle(const HttpRequest &request);
    HttpResponse handleGenerateEvent(const QString &query);
    HttpResponse applyRules(const QString &path, HttpResponse response) const;
    QByteArray historyBody(const QStringList &lines) const;

    QString m_idText;
    QString m_classIdText;
    QString m_name;
    QUuid m_id;
    Kind m_kind;
    const Scenario &m_scenario;
    RequestLog *m_requestLog;
    HttpServer *m_server = nullptr;
    QStringList m_history;
    bool m_gateOpen = false;
};

#endif // MOCKTHING_H
