#include "jsonrpcrouter.h"

#include "jsonhandler.h"
#include "loggingcategories.h"
#include "logtext.h"

#include <QJsonDocument>

namespace {

QJsonValue replyId(const QJsonValue &id) { return id.isUndefined() ? QJsonValue(QJsonValue::Null) : id; }

} // namespace

bool JsonRpcRouter::registerHandler(JsonHandler *handler)
{
    const QString name = handler->name();
    if (name.isEmpty() || name.contains(QLatin1Char('.'))) {
        qCWarning(dcJsonRpc) << "Refusing JSON-RPC handler with the invalid name" << name;
        return false;
    }
    if (m_handlers.value(name)) {
        qCWarning(dcJsonRpc) << "Refusing a second JSON-RPC handler for" << name;
        return false;
    }
    m_handlers.insert(name, handler);
    qCDebug(dcJsonRpc) << "Registered handler" << name << "with methods" << handler->methods();
    return true;
}

void JsonRpcRouter::unregisterHandler(JsonHandler *handler)
{
    if (m_handlers.value(handler->name()) == handler)
        m_handlers.remove(handler->name());
}

QJsonObject JsonRpcRouter::processRequest(const QJsonObject &request) const
{
    qCDebug(dcJsonRpc).noquote() << "Request:"
                                 << LogText::shortened(QJsonDocument(request).toJson(QJsonDocument::Compact),
                                                       maxLoggedMessageLength);
    const QJsonValue id = request.value(QStringLiteral("id"));
    const QJsonValue methodValue = request.value(QStringLiteral("method"));
    if (!methodValue.isString())
        return errorReply(id, QStringLiteral("The request has no \"method\" string"));

    const QString method = methodValue.toString();
    const QJsonValue paramsValue = request.value(QStringLiteral("params"));
    if (!paramsValue.isUndefined() && !paramsValue.isObject())
        return errorReply(id, QStringLiteral("%1: \"params\" must be an object").arg(method));

    const int dot = method.indexOf(QLatin1Char('.'));
    JsonHandler *handler = dot > 0 ? m_handlers.value(method.left(dot)).data() : nullptr;
    if (!handler)
        return errorReply(id, QStringLiteral("Unknown method \"%1\"").arg(method));

    const JsonReply reply = handler->call(method.mid(dot + 1), paramsValue.toObject().toVariantMap());
    QJsonObject result{
        {QStringLiteral("id"), replyId(id)},
        {QStringLiteral("status"), reply.isSuccess() ? QStringLiteral("success") : QStringLiteral("error")},
        {QStringLiteral("params"), toJsonObject(reply.params())},
    };
    if (!reply.isSuccess())
        result.insert(QStringLiteral("error"), reply.errorMessage());
    return result;
}

// Value by value, so that JSON values a handler already holds (a listing of
// thousands of records, say) go into the reply as they are instead of being
// rebuilt, as QJsonObject::fromVariantMap would.
QJsonObject JsonRpcRouter::toJsonObject(const QVariantMap &params)
{
    QJsonObject object;
    for (auto it = params.cbegin(); it != params.cend(); ++it)
        object.insert(it.key(), QJsonValue::fromVariant(it.value()));
    return object;
}

QJsonObject JsonRpcRouter::errorReply(const QJsonValue &id, const QString &message)
{
    return {
        {QStringLiteral("id"), replyId(id)},
        {QStringLiteral("status"), QStringLiteral("error")},
        {QStringLiteral("params"), QJsonObject()},
        {QStringLiteral("error"), message},
    };
}
