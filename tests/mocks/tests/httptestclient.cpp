#include "httptestclient.h"

#include <QHostAddress>
#include <QTest>

bool HttpTestClient::connectTo(quint16 port, int timeoutMs)
{
    m_socket.connectToHost(QHostAddress::LocalHost, port);
    const bool settled = QTest::qWaitFor(
        [this] {
            return m_socket.state() != QAbstractSocket::ConnectingState
                   && m_socket.state() != QAbstractSocket::HostLookupState;
        },
        timeoutMs);
    return settled && m_socket.state() == QAbstractSocket::ConnectedState;
}

QAbstractSocket::SocketError HttpTestClient::error() const { return m_socket.error(); }

void HttpTestClient::send(const QByteArray &bytes)
{
    m_socket.write(bytes);
    m_socket.flush();
}

void HttpTestClient::expectBodilessResponse() { m_nextResponseBodiless = true; }

QList<HttpTestClient::Response> HttpTestClient::readResponses(int count, int timeoutMs)
{
    QList<Response> responses;
    auto collect = [&] {
        m_received += m_socket.readAll();
        Response response;
        while (responses.count() < count && takeResponse(&response))
            responses.append(response);
        return responses.count() == count || m_socket.state() == QAbstractSocket::UnconnectedState;
    };
    if (!QTest::qWaitFor(collect, timeoutMs))
        collect();
    return responses;
}

bool HttpTestClient::waitForDisconnected(int timeoutMs)
{
    return QTest::qWaitFor(
        [this] {
            m_socket.readAll();
            return m_socket.state() == QAbstractSocket::UnconnectedState;
        },
        timeoutMs);
}

bool HttpTestClient::isConnected() const { return m_socket.state() == QAbstractSocket::ConnectedState; }

// Our server always sends Content-Length, so that is all this needs to handle.
bool HttpTestClient::takeResponse(Response *response)
{
    const int headerEnd = m_received.indexOf("\r\n\r\n");
    if (headerEnd < 0)
        return false;
    const QList<QByteArray> lines = m_received.left(headerEnd).split('\n');
    Response parsed;
    parsed.statusCode = lines.value(0).split(' ').value(1).toInt();
    for (int i = 1; i < lines.count(); ++i) {
        const int colon = lines.at(i).indexOf(':');
        parsed.headers.insert(lines.at(i).left(colon).trimmed().toLower(), lines.at(i).mid(colon + 1).trimmed());
    }
    const int bodyLength = m_nextResponseBodiless ? 0 : parsed.headers.value("content-length", "0").toInt();
    if (m_received.size() < headerEnd + 4 + bodyLength)
        return false;
    parsed.body = m_received.mid(headerEnd + 4, bodyLength);
    m_received.remove(0, headerEnd + 4 + bodyLength);
    m_nextResponseBodiless = false;
    *response = parsed;
    return true;
}
