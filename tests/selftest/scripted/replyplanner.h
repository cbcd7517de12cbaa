#ifndef SCRIPTEDKORVUD_REPLYPLANNER_H
#define SCRIPTEDKORVUD_REPLYPLANNER_H

#include <QByteArray>
#include <QHash>
#include <QJsonObject>
#include <QString>

#include <functional>

class MethodDispatcher;
class Scenario;

// Turns one request into the bytes that answer it, with the scenario's rules
// for that call applied: the reply a correct daemon would give, then edited or
// replaced, and how it is to be sent.
class ReplyPlanner
{
public:
    struct Plan
    {
        QByteArray bytes;
        bool withhold = false;
        bool holdForNext = false;
        int delayMs = 0;
        QStringList print;
    };

    // deliveryId gives the value of the "$deliveryId" template.
    ReplyPlanner(const Scenario &scenario, int start, MethodDispatcher *dispatcher,
                 const std::function<QString()> &deliveryId);

    Plan plan(const QByteArray &request);
    static Plan errorReply(const QJsonValue &id, const QString &message);

private:
    QJsonObject correctReply(const QJsonValue &id, const QString &method, const QJsonObject &params);
    QJsonValue expanded(const QJsonValue &value) const;

    const Scenario &m_scenario;
    int m_start;
    MethodDispatcher *m_dispatcher;
    std::function<QString()> m_deliveryId;
    QHash<QString, int> m_calls;
};

#endif // SCRIPTEDKORVUD_REPLYPLANNER_H
