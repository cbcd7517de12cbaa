#include "benchclient.h"

#include <QDeadlineTimer>
#include <QHostAddress>
#include <QJsonDocument>

#include <limits>

namespace {

const int ReplyTimeoutMs = 30000;

} // namespace

BenchClient::BenchClient()
    : m_reader(std::numeric_limits<int>::max())
{
}

bool BenchClient::open()
{
    m_socket.connectToHost(QHostAddress::LocalHost, 2222);
    if (!m_socket.waitForConnected(5000))
        return false;
    m_socket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    return true;
}

QJsonObject BenchClient::call(const QString &method, const QVariantMap &params)
{
    return call(request(m_nextId++, method, params));
}

QJsonObject BenchClient::call(const QByteArray &request)
{
    m_socket.write(request);
    m_socket.flush();
    return readReply();
}

QByteArray BenchClient::request(int id, const QString &method, const QVariantMap &params)
{
    const QJsonObject object{{"id", id}, {"method", method}, {"params", QJsonObject::fromVariantMap(params)}};
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

QJsonObject BenchClient::readReply()
{
    const QDeadlineTimer deadline(ReplyTimeoutMs);
    while (!m_reader.hasMessage() && !m_reader.hasError()) {
        if (m_socket.bytesAvailable() == 0 && !m_socket.waitForReadyRead(int(deadline.remainingTime())))
            break;
        m_reader.feed(m_socket.readAll());
    }
    return m_reader.takeMessage();
}
