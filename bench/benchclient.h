#ifndef BENCHCLIENT_H
#define BENCHCLIENT_H

#include "jsonstreamreader.h"

#include <QJsonObject>
#include <QTcpSocket>
#include <QVariantMap>

// A blocking JSON-RPC client for korvud's port 2222 that can read replies of
// any size: the listing of ten thousand deliveries is far over the daemon's
// own request limit.
class BenchClient
{
public:
    BenchClient();

    bool open();

    // Sends one request; the reply, or an empty object when none came in time.
    QJsonObject call(const QString &method, const QVariantMap &params = QVariantMap());
    // The same with a request already in its wire form.
    QJsonObject call(const QByteArray &request);

    static QByteArray request(int id, const QString &method, const QVariantMap &params = QVariantMap());

private:
    QJsonObject readReply();

    QTcpSocket m_socket;
    JsonStreamReader m_reader;
    int m_nextId = 1;
};

#endif // BENCHCLIENT_H
