#ifndef RPCCONNECTION_H
#define RPCCONNECTION_H

#include "jsonstreamsplitter.h"

#include <QObject>

class QTcpSocket;
class ReplyPlanner;
class RequestLog;

// One JSON-RPC client. Every request is recorded as read, then answered as the
// planner says: at once, late, together with the next reply, or never.
class RpcConnection : public QObject
{
    Q_OBJECT
public:
    RpcConnection(QTcpSocket *socket, ReplyPlanner *planner, RequestLog *requestLog, QObject *parent = nullptr);

private:
    void readAvailable();
    void answer(const QByteArray &request);
    void send(const QByteArray &bytes);
    void closeWithError(const QString &message);

    QTcpSocket *m_socket;
    ReplyPlanner *m_planner;
    RequestLog *m_requestLog;
    JsonStreamSplitter m_splitter;
    QByteArray m_held;
};

#endif // RPCCONNECTION_H
