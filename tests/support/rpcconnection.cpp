#include "rpcconnection.h"

#include "jsonrpcserver.h"

#include <QDeadlineTimer>
#include <QHostAddress>
#include <QJsonDocument>

bool RpcConnection::open(int timeoutMs)
{
    m_socket.connectToHost(QHostAddress::LocalHost, JsonRpcServer::DefaultPort);
    if (!m_socket.waitForConnected(timeoutMs))
        return false;
    m_socket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    return true;
}

void RpcConnection::write(const QByteArray &bytes)
{
    m_socket.write(bytes);
    // A request usually goes out whole at once; waiting costs a round of
    // polling that the benchmark's round trips would show.
    m_socket.flush();
    if (m_socket.bytesToWrite() > 0)
        m_socket.waitForBytesWritten(DefaultTimeoutMs);
}

QList<QJsonObject> RpcConnection::readReplies(int count, int timeoutMs)
{
    QList<QJsonObject> replies;
    const QDeadlineTimer deadline(timeoutMs);
    while (true) {
        while (replies.size() < count && m_reader.hasMessage())
            replies.append(m_reader.takeMessage());
        if (replies.size() == count || m_reader.hasError() || deadline.hasExpired())
            break;
        if (m_socket.bytesAvailable() == 0 && !m_socket.waitForReadyRead(int(deadline.remainingTime())))
            break;
        m_reader.feed(m_socket.readAll());
    }
    return replies;
}

QJsonObject RpcConnection::call(const QString &method, const QVariantMap &params)
{
    return call(request(m_nextId++, method, params));
}

QJsonObject RpcConnection::call(const QByteArray &request, int timeoutMs)
{
    write(request);
    const QList<QJsonObject> replies = readReplies(1, timeoutMs);
    return replies.isEmpty() ? QJsonObject() : replies.first();
}

bool RpcConnection::waitForClosed(int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (m_socket.state() != QAbstractSocket::UnconnectedState && !deadline.hasExpired()) {
        if (m_socket.waitForReadyRead(int(deadline.remainingTime())))
            m_socket.readAll();
    }
    return m_socket.state() == QAbstractSocket::UnconnectedState;
}

QByteArray RpcConnection::request(int id, const QString &method, const QVariantMap &params)
{
    const QJsonObject object{
        {QStringLiteral("id"), id},
        {QStringLiteral("method"), method},
        {QStringLiteral("params"), QJsonObject::fromVariantMap(params)},
    };
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}
