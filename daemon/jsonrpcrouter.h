#ifndef KORVUD_JSONRPCROUTER_H
#define KORVUD_JSONRPCROUTER_H

#include <QHash>
#include <QJsonObject>
#include <QPointer>
#include <QString>

class JsonHandler;

// Turns one parsed request into its reply: checks the envelope, routes
// "<Namespace>.<Method>" to the registered handler and wraps the handler's
// answer into {"id", "status", "params"[, "error"]}. Knows nothing of
// sockets, so that it can be driven directly.
class JsonRpcRouter
{
public:
    // The router does not take ownership. A second handler for a namespace is refused.
    bool registerHandler(JsonHandler *handler);
    void unregisterHandler(JsonHandler *handler);

    QJsonObject processRequest(const QJsonObject &request) const;

    // The reply to a request that could not be processed at all.
    static QJsonObject errorReply(const QJsonValue &id, const QString &message);

private:
    static QJsonObject toJsonObject(const QVariantMap &params);

    QHash<QString, QPointer<JsonHandler>> m_handlers;
};

#endif // KORVUD_JSONRPCROUTER_H
