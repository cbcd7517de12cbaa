#include "deliverywriter.h"

#include "deliveryclient.h"
#include "rpcconnection.h"

#include <QJsonDocument>

namespace {

// Long enough for a commit behind many others on a slow disk.
const int ReplyTimeoutMs = 20000;

} // namespace

DeliveryWriter::DeliveryWriter(int clientIndex, const QUuid &gateId, const QUuid &scannerId, int count, int window,
                               std::atomic<int> *acknowledged, QObject *parent)
    : QThread(parent)
    , m_clientIndex(clientIndex)
    , m_gateId(gateId)
    , m_scannerId(scannerId)
    , m_count(count)
    , m_window(window)
    , m_acknowledged(acknowledged)
{
}

void DeliveryWriter::stop() { m_stopRequested = true; }

QList<DeliveryWriter::Acknowledgement> DeliveryWriter::acknowledgements() const { return m_acknowledgements; }
int DeliveryWriter::sentCount() const { return m_sent; }
QString DeliveryWriter::failure() const { return m_failure; }
bool DeliveryWriter::connectionLost() const { return m_connectionLost; }

QString DeliveryWriter::deliveryName(int clientIndex, int n)
{
    return QStringLiteral("client %1 delivery %2").arg(clientIndex).arg(n);
}

void DeliveryWriter::run()
{
    RpcConnection connection;
    if (!connection.open()) {
        m_failure = QStringLiteral("client %1 cannot connect").arg(m_clientIndex);
        return;
    }
    int confirmed = 0;
    while (m_failure.isEmpty()) {
        QByteArray batch;
        while (m_sent - confirmed < m_window && (m_count == 0 || m_sent < m_count) && !m_stopRequested)
            batch += request(++m_sent);
        if (!batch.isEmpty())
            connection.write(batch);
        if (confirmed == m_sent)
            return;
        const QList<QJsonObject> replies = connection.readReplies(1, ReplyTimeoutMs);
        if (replies.isEmpty()) {
            m_connectionLost = true;
            return;
        }
        if (confirm(confirmed + 1, replies.first()))
            ++confirmed;
    }
}

QByteArray DeliveryWriter::request(int n) const
{
    const QVariantMap params{
        {"delivery",
         DeliveryClient::deliveryRecord(deliveryName(m_clientIndex, n),
                                        QStringLiteral("TRACK%1X%2").arg(m_clientIndex).arg(n), m_gateId, m_scannerId)},
    };
    return RpcConnection::request(n, QStringLiteral("PlavoDelivery.AddDelivery"), params);
}

bool DeliveryWriter::confirm(int n, const QJsonObject &reply)
{
    const QString text = QString::fromUtf8(QJsonDocument(reply).toJson(QJsonDocument::Compact));
    if (reply.value(QStringLiteral("id")) != QJsonValue(n)) {
        m_failure =
            QStringLiteral("client %1 waited for the reply to %2 and got %3").arg(m_clientIndex).arg(n).arg(text);
        return false;
    }
    const QUuid deliveryId = DeliveryClient::addedDeliveryId(reply);
    if (deliveryId.isNull()) {
        m_failure =
            QStringLiteral("client %1: request %2 was not acknowledged: %3").arg(m_clientIndex).arg(n).arg(text);
        return false;
    }
    m_acknowledgements.append({deliveryName(m_clientIndex, n), deliveryId});
    ++*m_acknowledged;
    return true;
}
