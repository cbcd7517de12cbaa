#include "httptestclient.h"

#include <QHostAddress>
#include <QTest>

HttpTestClient::HttpTestClient()
{
    http_parser_init(&m_parser, HTTP_RESPONSE);
    m_parser.data = this;
    http_parser_settings_init(&m_settings);
    m_settings.on_header_field = &HttpTestClient::onHeaderField;
    m_settings.on_header_value = &HttpTestClient::onHeaderValue;
    m_settings.on_headers_complete = &HttpTestClient::onHeadersComplete;
    m_settings.on_body = &HttpTestClient::onBody;
    m_settings.on_message_complete = &HttpTestClient::onMessageComplete;
}

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
    auto collect = [&] {
        parse(m_socket.readAll());
        if (m_socket.state() == QAbstractSocket::UnconnectedState && !m_endSeen) {
            // The end of the stream completes a response that has no length of its own.
            m_endSeen = true;
            parse(QByteArray());
        }
        return m_complete.size() >= count || m_socket.state() == QAbstractSocket::UnconnectedState;
    };
    if (!QTest::qWaitFor(collect, timeoutMs))
        collect();
    QList<Response> responses = m_complete.mid(0, count);
    m_complete = m_complete.mid(responses.size());
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

// Once the parser found an error it stays in it, and whatever follows is not a response.
void HttpTestClient::parse(const QByteArray &bytes)
{
    if (HTTP_PARSER_ERRNO(&m_parser) != HPE_OK)
        return;
    http_parser_execute(&m_parser, &m_settings, bytes.constData(), size_t(bytes.size()));
}

HttpTestClient *HttpTestClient::clientOf(http_parser *parser) { return static_cast<HttpTestClient *>(parser->data); }

int HttpTestClient::onHeaderField(http_parser *parser, const char *data, size_t length)
{
    HttpTestClient *client = clientOf(parser);
    if (client->m_headerValueStarted) {
        client->m_headerName.clear();
        client->m_headerValueStarted = false;
    }
    client->m_headerName.append(data, int(length));
    return 0;
}

int HttpTestClient::onHeaderValue(http_parser *parser, const char *data, size_t length)
{
    HttpTestClient *client = clientOf(parser);
    client->m_headerValueStarted = true;
    client->m_current.headers[client->m_headerName.toLower()].append(data, int(length));
    return 0;
}

int HttpTestClient::onHeadersComplete(http_parser *parser)
{
    HttpTestClient *client = clientOf(parser);
    client->m_current.statusCode = int(parser->status_code);
    client->m_headerName.clear();
    client->m_headerValueStarted = false;
    // 1 tells the parser that no body follows.
    const bool bodiless = client->m_nextResponseBodiless;
    client->m_nextResponseBodiless = false;
    return bodiless ? 1 : 0;
}

int HttpTestClient::onBody(http_parser *parser, const char *data, size_t length)
{
    clientOf(parser)->m_current.body.append(data, int(length));
    return 0;
}

int HttpTestClient::onMessageComplete(http_parser *parser)
{
    HttpTestClient *client = clientOf(parser);
    client->m_complete.append(client->m_current);
    client->m_current = Response();
    return 0;
}
