#ifndef SCRIPTEDKORVUD_SCENARIO_H
#define SCRIPTEDKORVUD_SCENARIO_H

#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>

// How the scripted daemon deviates from a correct daemon in one run. Read once
// from the JSON file named by KORVU_SCENARIO; an absent file or key means
// "behave correctly". The format is described in scenarios/README.md.
class Scenario
{
public:
    // One JSON-RPC reply rule: which calls it matches and what it does to them.
    struct RpcRule
    {
        QString method;
        int start = 0; // n-th daemon start in this data folder; 0 = any
        int call = 0; // n-th call of the method in this process; 0 = any
        bool skip = false; // do not run the method; answer with "reply" or nothing
        bool withhold = false; // never answer
        bool holdForNext = false; // send the reply together with the next reply, in one write
        int delayMs = 0;
        QString reply; // raw text replacing the whole reply
        QJsonObject set; // path -> value (strings may hold templates)
        QStringList remove; // paths
        QJsonObject add; // path -> number added to the number there
        QString prepend; // raw text sent before the reply, in the same write
        QString append; // raw text sent after the reply, in the same write
        QStringList print; // lines the daemon writes to standard error before it answers

        bool matches(const QString &method, int start, int call) const;
    };

    // One HTTP rule for a mock device's control port.
    struct HttpRule
    {
        int port = 0;
        QString path; // empty = any path
        int status = 0; // 0 = as a correct device would answer
        bool hasBody = false;
        QByteArray body; // replaces the whole body
        bool hasLines = false;
        QStringList lines; // replaces the action history lines
        QStringList extraLines; // appended to the action history lines

        bool matches(int port, const QString &path) const;
    };

    enum class CodeMatch { Normalised, Exact, DigitsOnly };
    enum class DeliveredTime { CloseRoundedUp, ScanRoundedDown };

    static Scenario fromEnvironment(QString *errorMessage);
    static Scenario fromJson(const QJsonObject &object, QString *errorMessage);

    QString description;
    int listenAfterMs = 0; // < 0: never listen
    bool listenAfterRestart = true; // false: only the first start on a data folder listens
    bool requireAuthentication = false;
    bool forgetOnRestart = false;
    bool persistRemovals = true;
    QJsonObject initialState; // {"things": [...], "deliveries": [...]} for the first start
    CodeMatch codeMatch = CodeMatch::Normalised;
    bool ignoreCalendar = false;
    bool notify = true;
    bool gateOpens = true;
    bool gateCloses = true;
    QString gateOpenText = QStringLiteral("open");
    DeliveredTime deliveredTime = DeliveredTime::CloseRoundedUp;
    QList<RpcRule> rpcRules;
    QList<HttpRule> httpRules;
    QList<int> closedPorts;

    QList<RpcRule> rpcRulesFor(const QString &method, int start, int call) const;
    QList<HttpRule> httpRulesFor(int port, const QString &path) const;
};

#endif // SCRIPTEDKORVUD_SCENARIO_H
