#include "scriptedrpcconnection.h"

#include "replyplanner.h"
#include "requestlog.h"

#include <QTcpSocket>
#include <QTimer>

#include <cstdio>

ScriptedRpcConnection::ScriptedRpcConnection(QTcpSocket *socket, ReplyPlanner *planner, RequestLog *requestLog,
                                             QObject *parent)
    : QObject(parent)
    , m_socket(socket)
    , m_planner(planner)
    , m_requestLog(requestLog)
{
    m_socket->setParent(this);
    connect(m_socket, &QTcpSocket::readyRead, this, &ScriptedRpcConnection::readAvailable);
    connect(m_socket, &QTcpSocket::disconnected, this, &QObject::deleteLater);
}

// Every byte received is recorded exactly: a request with the white space
// before it, as the reader marks its end.
void ScriptedRpcConnection::readAvailable()
{
    const QByteArray bytes = m_socket->readAll();
    m_unrecorded += bytes;
    m_reader.feed(bytes);
    while (m_reader.hasMessage()) {
        m_reader.takeMessage();
        const QByteArray raw = m_unrecorded.left(int(m_reader.takenMessageEnd() - m_recordedEnd));
        m_unrecorded.remove(0, raw.size());
        m_recordedEnd = m_reader.takenMessageEnd();
        m_requestLog->recordRpc(raw);
        answer(raw);
    }
    if (m_reader.hasError()) {
        closeWithError(m_reader.errorString());
        return;
    }
    // Bytes after a request (a stray line feed, say) are recorded as soon as
    // they are read: the daemon may be killed before another request comes.
    if (!m_unrecorded.isEmpty() && m_unrecorded.trimmed().isEmpty()) {
        m_requestLog->recordTrailingBytes(m_unrecorded);
        m_recordedEnd += m_unrecorded.size();
        m_unrecorded.clear();
    }
}

void ScriptedRpcConnection::answer(const QByteArray &request)
{
    const ReplyPlanner::Plan plan = m_planner->plan(request);
    // As a memory checker reports a fault in the request's handling, before its reply.
    for (const QString &line : plan.print)
        std::fprintf(stderr, "%s\n", qPrintable(line));
    std::fflush(stderr);
    if (plan.withhold)
        return;
    if (plan.holdForNext) {
        m_held += plan.bytes;
        return;
    }
    if (plan.delayMs <= 0) {
        send(plan.bytes);
        return;
    }
    QTimer::singleShot(plan.delayMs, Qt::PreciseTimer, this, [this, bytes = plan.bytes] { send(bytes); });
}

void ScriptedRpcConnection::send(const QByteArray &bytes)
{
    if (m_socket->state() != QAbstractSocket::ConnectedState)
        return;
    // One write per reply: a client that reads once per reply gets it whole.
    m_socket->write(m_held + bytes);
    m_held.clear();
}

void ScriptedRpcConnection::closeWithError(const QString &message)
{
    m_requestLog->recordTrailingBytes(m_unrecorded);
    m_socket->write(ReplyPlanner::errorReply(QJsonValue(), message).bytes);
    m_socket->disconnectFromHost();
}
