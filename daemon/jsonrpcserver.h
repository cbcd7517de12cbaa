#ifndef KORVUD_JSONRPCSERVER_H
#define KORVUD_JSONRPCSERVER_H

#include "jsonrpcrouter.h"

#include <QHash>
#include <QJsonObject>
#include <QObject>
#include <QSet>
#include <QSharedPointer>
#include <QTcpServer>

class JsonHandler;
class JsonStreamReader;
class QTcpSocket;

// JSON-RPC over TCP on the loopback interface. Requests are routed by the
// namespace before the dot in "<Namespace>.<Method>" to a registered handler
// (see JsonRpcRouter). Every request gets exactly one reply, in order, each
// in a single write.
class JsonRpcServer : public QObject
{
    Q_OBJECT
public:
    static constexpr quint16 DefaultPort = 2222;

    explicit JsonRpcServer(QObject *parent = nullptr);
    ~JsonRpcServer() override;

    // The server does not take ownership. A second handler for a namespace is refused.
    bool registerHandler(JsonHandler *handler);
    void unregisterHandler(JsonHandler *handler);

    bool listen(quint16 port = DefaultPort);
    QString errorString() const;

private:
    void acceptConnections();
    void readRequests(QTcpSocket *socket);
    void dropConnection(QTcpSocket *socket);
    void sendReply(QTcpSocket *socket, QJsonObject reply);
    void releaseMemoryOnceDrained(QTcpSocket *socket);

    QTcpServer m_server;
    JsonRpcRouter m_router;
    QHash<QTcpSocket *, QSharedPointer<JsonStreamReader>> m_readers;
    // Connections still writing a reply of over 1 MiB: once it has gone out,
    // the freed memory is handed back to the system.
    QSet<QTcpSocket *> m_largeRepliesInFlight;
};

#endif // KORVUD_JSONRPCSERVER_H
