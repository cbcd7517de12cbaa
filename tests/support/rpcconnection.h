#ifndef KORVU_SUPPORT_RPCCONNECTION_H
#define KORVU_SUPPORT_RPCCONNECTION_H

#include "jsonstreamreader.h"

#include <QJsonObject>
#include <QList>
#include <QTcpSocket>
#include <QVariantMap>

#include <limits>

// A blocking JSON-RPC client of korvud's port 2222 that sends exactly the
// bytes it is given. Replies are framed with the daemon's own stream reader,
// so that replies arriving together are told apart, and may be of any size:
// a listing of thousands of deliveries is far over the daemon's request limit.
class RpcConnection
{
public:
    static constexpr int DefaultTimeoutMs = 5000;

    // Connects with Nagle's algorithm off, so that round trips are not held back.
    bool open(int timeoutMs = DefaultTimeoutMs);

    void write(const QByteArray &bytes);
    // The replies that arrived within the time-out, at most count of them.
    QList<QJsonObject> readReplies(int count, int timeoutMs = DefaultTimeoutMs);
    // Sends one request and returns its reply; an empty object when none came.
    QJsonObject call(const QString &method, const QVariantMap &params = QVariantMap());
    // The same with a request already in its wire form (see request()).
    QJsonObject call(const QByteArray &request, int timeoutMs = DefaultTimeoutMs);
    bool waitForClosed(int timeoutMs = DefaultTimeoutMs);

    // A request in compact JSON, as call() sends it.
    static QByteArray request(int id, const QString &method, const QVariantMap &params = QVariantMap());

private:
    QTcpSocket m_socket;
    JsonStreamReader m_reader{std::numeric_limits<int>::max()};
    int m_nextId = 1;
};

#endif // KORVU_SUPPORT_RPCCONNECTION_H
