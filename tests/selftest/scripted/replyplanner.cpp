#include "replyplanner.h"

#include "jsonpath.h"
#include "jsonrpcrouter.h"
#include "methoddispatcher.h"
#include "scenario.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>

ReplyPlanner::ReplyPlanner(const Scenario &scenario, int start, MethodDispatcher *dispatcher,
                           const std::function<QString()> &deliveryId)
    : m_scenario(scenario)
    , m_start(start)
    , m_dispatcher(dispatcher)
    , m_deliveryId(deliveryId)
{
}

ReplyPlanner::Plan ReplyPlanner::plan(const QByteArray &request)
{
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(request, &parseError);
    const QJsonObject object = document.object();
    const QJsonValue id = object.value("id");
    const QString method = object.value("method").toString();
    if (!document.isObject() || method.isEmpty())
        return errorReply(id, QStringLiteral("Invalid request: %1").arg(parseError.errorString()));
    if (object.contains("params") && !object.value("params").isObject())
        return errorReply(id, QStringLiteral("%1: \"params\" must be an object").arg(method));

    const int call = ++m_calls[method];
    const QList<Scenario::RpcRule> rules = m_scenario.rpcRulesFor(method, m_start, call);
    bool skip = false;
    for (const Scenario::RpcRule &rule : rules)
        skip = skip || rule.skip;

    Plan plan;
    QJsonObject reply = skip ? QJsonObject() : correctReply(id, method, object.value("params").toObject());
    QByteArray rawReply;
    for (const Scenario::RpcRule &rule : rules) {
        if (!rule.reply.isEmpty())
            rawReply = rule.reply.toUtf8();
        for (auto it = rule.set.constBegin(); it != rule.set.constEnd(); ++it)
            JsonPath::set(&reply, it.key(), expanded(it.value()));
        for (const QString &path : rule.remove)
            JsonPath::remove(&reply, path);
        for (auto it = rule.add.constBegin(); it != rule.add.constEnd(); ++it)
            JsonPath::add(&reply, it.key(), it.value().toDouble());
        plan.withhold = plan.withhold || rule.withhold;
        plan.holdForNext = plan.holdForNext || rule.holdForNext;
        plan.delayMs = qMax(plan.delayMs, rule.delayMs);
        plan.print += rule.print;
    }
    if (rawReply.isEmpty() && skip)
        plan.withhold = true;
    plan.bytes = rawReply.isEmpty() ? QJsonDocument(reply).toJson(QJsonDocument::Compact) : rawReply;
    for (const Scenario::RpcRule &rule : rules)
        plan.bytes = rule.prepend.toUtf8() + plan.bytes + rule.append.toUtf8();
    return plan;
}

ReplyPlanner::Plan ReplyPlanner::errorReply(const QJsonValue &id, const QString &message)
{
    Plan plan;
    plan.bytes = QJsonDocument(JsonRpcRouter::errorReply(id, message)).toJson(QJsonDocument::Compact);
    return plan;
}

QJsonObject ReplyPlanner::correctReply(const QJsonValue &id, const QString &method, const QJsonObject &params)
{
    const MethodResult result = m_dispatcher->call(method, params);
    QJsonObject reply{
        {"id", id.isUndefined() ? QJsonValue() : id},
        {"status", result.isSuccess ? "success" : "error"},
        {"params", result.params},
    };
    if (!result.isSuccess)
        reply.insert("error", result.errorMessage);
    return reply;
}

QJsonValue ReplyPlanner::expanded(const QJsonValue &value) const
{
    if (value.isArray()) {
        QJsonArray array;
        const QJsonArray source = value.toArray();
        for (const QJsonValue &element : source)
            array.append(expanded(element));
        return array;
    }
    if (value.isObject()) {
        QJsonObject object;
        const QJsonObject source = value.toObject();
        for (auto it = source.constBegin(); it != source.constEnd(); ++it)
            object.insert(it.key(), expanded(it.value()));
        return object;
    }
    if (value == QJsonValue("$deliveryId"))
        return m_deliveryId();
    if (value == QJsonValue("$now"))
        return QDateTime::currentMSecsSinceEpoch() / 1000;
    return value;
}
