#include "jsonrpcserver.h"

#include "jsonstreamreader.h"
#include "loggingcategories.h"

#include <QJsonDocument>
#include <QPointer>
#include <QTcpSocket>

namespace {

const int MaxLoggedLength = 1000;

QByteArray shortened(const QByteArray &text)
{
    return text.size() <= MaxLoggedLength ? text : text.left(MaxLoggedLength) + "...";
}

} // namespace

JsonRpcServer::JsonRpcServer(QObject *parent)
    : QObject(parent)
{
    connect(&m_server, &QTcpServer::newConnection, this, &JsonRpcServer::acceptConnections);
}

JsonRpcServer::~JsonRpcServer()
{
    m_server.close();
    const QList<QTcpSocket *> sockets = m_readers.keys();
    for (QTcpSocket *socket : sockets) {
        socket->disconnect(this);
        socket->abort();
        delete socket;
    }
}

bool JsonRpcServer::registerHandler(JsonHandler *handler)
{
    return m_router.registerHandler(handler);
}

void JsonRpcServer::unregisterHandler(JsonHandler *handler)
{
    m_router.unregisterHandler(handler);
}

bool JsonRpcServer::listen(quint16 port)
{
    return m_server.listen(QHostAddress::LocalHost, port);
}

QString JsonRpcServer::errorString() const { return m_server.errorString(); }

void JsonRpcServer::acceptConnections()
{
    while (QTcpSocket *socket = m_server.nextPendingConnection()) {
        m_readers.insert(socket, QSharedPointer<JsonStreamReader>::create());
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { readRequests(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] { dropConnection(socket); });
        qCDebug(dcJsonRpc) << "Client connected from port" << socket->peerPort();
    }
}

void JsonRpcServer::readRequests(QTcpSocket *socket)
{
    // Held here as well: a handler runs plug-in code, and the connection may
    // go away while it runs.
    const QSharedPointer<JsonStreamReader> reader = m_readers.value(socket);
    if (!reader || reader->hasError())
        return;
    reader->feed(socket->readAll());

    QPointer<QTcpSocket> guard(socket);
    while (guard && reader->hasMessage())
        sendReply(socket, m_router.processRequest(reader->takeMessage()));
    if (!guard || !reader->hasError())
        return;

    qCDebug(dcJsonRpc) << "Closing connection from port" << socket->peerPort() << "after a framing error:" << reader->errorString();
    sendReply(socket, JsonRpcRouter::errorReply(QJsonValue::Null, reader->errorString()));
    // Queued bytes still go out before the connection closes.
    socket->disconnectFromHost();
}

void JsonRpcServer::dropConnection(QTcpSocket *socket)
{
    qCDebug(dcJsonRpc) << "Client disconnected";
    m_readers.remove(socket);
    socket->deleteLater();
}

void JsonRpcServer::sendReply(QTcpSocket *socket, const QJsonObject &reply) const
{
    const QByteArray bytes = QJsonDocument(reply).toJson(QJsonDocument::Compact);
    qCDebug(dcJsonRpc).noquote() << "Reply:" << shortened(bytes);
    socket->write(bytes);
}
