#ifndef SCRIPTEDKORVUD_SCRIPTEDRPCCONNECTION_H
#define SCRIPTEDKORVUD_SCRIPTEDRPCCONNECTION_H

#include "jsonstreamsplitter.h"

#include <QObject>

class QTcpSocket;
class ReplyPlanner;
class RequestLog;

// One JSON-RPC client. Every request is recorded as read, then answered as the
// planner says: at once, late, together with the next reply, or never.
class ScriptedRpcConnection : public QObject
{
    Q_OBJECT
public:
    ScriptedRpcConnection(QTcpSocket *socket, ReplyPlanner *planner, RequestLog *requestLog, QObject *parent = nullptr);

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

#endif // SCRIPTEDKORVUD_SCRIPTEDRPCCONNECTION_H
