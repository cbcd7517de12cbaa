#include "jsonrpcserver.h"

#include "jsonhandler.h"
#include "jsonstreamreader.h"
#include "loggingcategories.h"

#include <QJsonDocument>
#include <QTcpSocket>

namespace {

const int MaxLoggedLength = 1000;

QJsonObject errorReply(const QJsonValue &id, const QString &message)
{
    return {
        {QStringLiteral("id"), id.isUndefined() ? QJsonValue(QJsonValue::Null) : id},
        {QStringLiteral("status"), QStringLiteral("error")},
        {QStringLiteral("params"), QJsonObject()},
        {QStringLiteral("error"), message},
    };
}

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

void JsonRpcServer::unregisterHandler(JsonHandler *handler)
{
    if (m_handlers.value(handler->name()) == handler)
        m_handlers.remove(handler->name());
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
        sendReply(socket, processRequest(reader->takeMessage()));
    if (!guard || !reader->hasError())
        return;

    qCDebug(dcJsonRpc) << "Closing connection from port" << socket->peerPort() << "after a framing error:" << reader->errorString();
    sendReply(socket, errorReply(QJsonValue::Null, reader->errorString()));
    // Queued bytes still go out before the connection closes.
    socket->disconnectFromHost();
}

void JsonRpcServer::dropConnection(QTcpSocket *socket)
{
    qCDebug(dcJsonRpc) << "Client disconnected";
    m_readers.remove(socket);
    socket->deleteLater();
}

QJsonObject JsonRpcServer::processRequest(const QJsonObject &request) const
{
    qCDebug(dcJsonRpc).noquote() << "Request:" << shortened(QJsonDocument(request).toJson(QJsonDocument::Compact));
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
        {QStringLiteral("id"), id.isUndefined() ? QJsonValue(QJsonValue::Null) : id},
        {QStringLiteral("status"), reply.isSuccess() ? QStringLiteral("success") : QStringLiteral("error")},
        {QStringLiteral("params"), QJsonObject::fromVariantMap(reply.params())},
    };
    if (!reply.isSuccess())
        result.insert(QStringLiteral("error"), reply.errorMessage());
    return result;
}

void JsonRpcServer::sendReply(QTcpSocket *socket, const QJsonObject &reply) const
{
    const QByteArray bytes = QJsonDocument(reply).toJson(QJsonDocument::Compact);
    qCDebug(dcJsonRpc).noquote() << "Reply:" << shortened(bytes);
    socket->write(bytes);
}
