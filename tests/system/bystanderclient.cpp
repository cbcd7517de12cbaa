#include "bystanderclient.h"

#include "rpcconnection.h"

#include <QElapsedTimer>
#include <QJsonDocument>

BystanderClient::BystanderClient(QObject *parent)
    : QThread(parent)
{
}

void BystanderClient::stop() { m_stopRequested = true; }
int BystanderClient::calls() const { return m_calls; }
int BystanderClient::failures() const { return m_failures; }
qint64 BystanderClient::slowestReplyMs() const { return m_slowestReplyMs; }
QString BystanderClient::firstFailure() const { return m_firstFailure; }

void BystanderClient::run()
{
    RpcConnection connection;
    if (!connection.open()) {
        m_failures = 1;
        m_firstFailure = QStringLiteral("cannot connect");
        return;
    }
    QElapsedTimer clock;
    while (!m_stopRequested) {
        clock.start();
        const QJsonObject reply = connection.call(QStringLiteral("JSONRPC.Hello"));
        m_slowestReplyMs = qMax(m_slowestReplyMs, clock.elapsed());
        ++m_calls;
        if (reply.value(QStringLiteral("status")) == QLatin1String("success"))
            continue;
        if (m_firstFailure.isEmpty())
            m_firstFailure = QString::fromUtf8(QJsonDocument(reply).toJson(QJsonDocument::Compact));
        // Without a connection every further call would fail at once.
        if (++m_failures > 10)
            return;
        QThread::msleep(10);
    }
}
