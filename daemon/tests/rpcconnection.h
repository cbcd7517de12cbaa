#ifndef RPCCONNECTION_H
#define RPCCONNECTION_H

#include "jsonstreamreader.h"

#include <QJsonObject>
#include <QList>
#include <QTcpSocket>
#include <QVariantMap>

#include <limits>

// A raw JSON-RPC client for korvud's port 2222. Replies are framed with the
// daemon's own stream reader, so that replies arriving together are told apart.
class RpcConnection
{
public:
    bool open(int timeoutMs = 5000);

    void write(const QByteArray &bytes);
    // The replies that arrived within the time-out, at most count of them.
    QList<QJsonObject> readReplies(int count, int timeoutMs = 5000);
    // Sends one request and returns its reply; an empty object when none came.
    QJsonObject call(const QString &method, const QVariantMap &params = QVariantMap());
    bool waitForClosed(int timeoutMs = 5000);

private:
    QTcpSocket m_socket;
    // Replies have no size limit of their own, unlike requests.
    JsonStreamReader m_reader{std::numeric_limits<int>::max()};
    int m_nextId = 1;
};

#endif // RPCCONNECTION_H
