#include "jsonrpcserver.h"

#include "jsonstreamreader.h"
#include "loggingcategories.h"
#include "logtext.h"

#include <QJsonDocument>
#include <QPointer>
#include <QTcpSocket>

#include <cstdlib>
#include <utility>
#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace {

const int LargeReplySize = 1024 * 1024;

// glibc keeps freed memory for later allocations instead of giving it back,
// so without this the memory of one large reply would stay resident for good.
void returnFreedMemoryToSystem()
{
#ifdef __GLIBC__
    malloc_trim(0);
#endif
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

bool JsonRpcServer::registerHandler(JsonHandler *handler) { return m_router.registerHandler(handler); }

void JsonRpcServer::unregisterHandler(JsonHandler *handler) { m_router.unregisterHandler(handler); }

bool JsonRpcServer::listen(quint16 port) { return m_server.listen(QHostAddress::LocalHost, port); }

QString JsonRpcServer::errorString() const { return m_server.errorString(); }

void JsonRpcServer::acceptConnections()
{
    while (QTcpSocket *socket = m_server.nextPendingConnection()) {
        m_readers.insert(socket, QSharedPointer<JsonStreamReader>::create());
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { readRequests(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] { dropConnection(socket); });
        connect(socket, &QTcpSocket::bytesWritten, this, [this, socket] { releaseMemoryOnceDrained(socket); });
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
    while (guard && reader->hasMessage()) {
        // The request is gone before the reply is written.
        QJsonObject reply = m_router.processRequest(reader->takeMessage());
        sendReply(socket, std::move(reply));
    }
    if (!guard || !reader->hasError())
        return;

    qCDebug(dcJsonRpc) << "Closing connection from port" << socket->peerPort()
                       << "after a framing error:" << reader->errorString();
    sendReply(socket, JsonRpcRouter::errorReply(QJsonValue::Null, reader->errorString()));
    // Queued bytes still go out before the connection closes.
    socket->disconnectFromHost();
}

void JsonRpcServer::dropConnection(QTcpSocket *socket)
{
    qCDebug(dcJsonRpc) << "Client disconnected";
    m_readers.remove(socket);
    socket->deleteLater();
    // A large reply the client did not wait for is freed with the socket;
    // the call is queued behind the socket's deferred deletion.
    if (m_largeRepliesInFlight.remove(socket))
        QMetaObject::invokeMethod(this, &returnFreedMemoryToSystem, Qt::QueuedConnection);
}

void JsonRpcServer::sendReply(QTcpSocket *socket, QJsonObject reply)
{
    const QByteArray bytes = QJsonDocument(reply).toJson(QJsonDocument::Compact);
    // Free the reply before the socket takes its own copy of the bytes.
    reply = QJsonObject();
    qCDebug(dcJsonRpc).noquote() << "Reply:" << LogText::shortened(bytes, maxLoggedMessageLength);
    socket->write(bytes);
    if (bytes.size() > LargeReplySize)
        m_largeRepliesInFlight.insert(socket);
}

// Trimming while the reply is still being written would only find the
// memory in use, so this waits until the socket's buffer is empty.
void JsonRpcServer::releaseMemoryOnceDrained(QTcpSocket *socket)
{
    if (socket->bytesToWrite() == 0 && m_largeRepliesInFlight.remove(socket))
        returnFreedMemoryToSystem();
}
