#ifndef JSONRPCSERVER_H
#define JSONRPCSERVER_H

#include <QHash>
#include <QJsonObject>
#include <QObject>
#include <QPointer>
#include <QSharedPointer>
#include <QTcpServer>

class JsonHandler;
class JsonStreamReader;
class QTcpSocket;

// JSON-RPC over TCP on the loopback interface. Requests are routed by the
// namespace before the dot in "<Namespace>.<Method>" to a registered handler.
// Every request gets exactly one reply, in order, each in a single write.
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
    QJsonObject processRequest(const QJsonObject &request) const;
    void sendReply(QTcpSocket *socket, const QJsonObject &reply) const;

    QTcpServer m_server;
    QHash<QString, QPointer<JsonHandler>> m_handlers;
    QHash<QTcpSocket *, QSharedPointer<JsonStreamReader>> m_readers;
};

#endif // JSONRPCSERVER_H
