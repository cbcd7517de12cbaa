#ifndef SCRIPTEDKORVUD_SCRIPTEDRPCCONNECTION_H
#define SCRIPTEDKORVUD_SCRIPTEDRPCCONNECTION_H

#include "jsonstreamreader.h"

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
    JsonStreamReader m_reader;
    // What was read after the last request or white space recorded, and where
    // in the stream that is.
    QByteArray m_unrecorded;
    qint64 m_recordedEnd = 0;
    QByteArray m_held;
};

#endif // SCRIPTEDKORVUD_SCRIPTEDRPCCONNECTION_H
