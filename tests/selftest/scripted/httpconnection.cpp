#include "httpconnection.h"

#include <QTcpSocket>

namespace {

QByteArray reasonPhrase(int status)
{
    switch (status) {
    case 200:
        return "OK";
    case 400:
        return "Bad Request";
    case 404:
        return "Not Found";
    case 405:
        return "Method Not Allowed";
    case 500:
        return "Internal Server Error";
    case 503:
        return "Service Unavailable";
    default:
        return "Status";
    }
}

} // namespace

HttpConnection::HttpConnection(QTcpSocket *socket, const Handler &handler, QObject *parent)
    : QObject(parent)
    , m_socket(socket)
    , m_handler(handler)
{
    m_socket->setParent(this);
    http_parser_init(&m_parser, HTTP_REQUEST);
    m_parser.data = this;
    http_parser_settings_init(&m_settings);
    m_settings.on_url = &HttpConnection::onUrl;
    m_settings.on_message_complete = &HttpConnection::onMessageComplete;
    connect(m_socket, &QTcpSocket::readyRead, this, &HttpConnection::readAvailable);
    connect(m_socket, &QTcpSocket::disconnected, this, &QObject::deleteLater);
}

int HttpConnection::onUrl(http_parser *parser, const char *at, size_t length)
{
    static_cast<HttpConnection *>(parser->data)->m_url.append(at, static_cast<int>(length));
    return 0;
}

int HttpConnection::onMessageComplete(http_parser *parser)
{
    static_cast<HttpConnection *>(parser->data)->m_complete = true;
    return 0;
}

void HttpConnection::readAvailable()
{
    if (m_answered) {
        m_socket->readAll();
        return;
    }
    const QByteArray data = m_socket->readAll();
    const size_t parsed = http_parser_execute(&m_parser, &m_settings, data.constData(),
                                              static_cast<size_t>(data.size()));
    if (HTTP_PARSER_ERRNO(&m_parser) != HPE_OK || parsed != static_cast<size_t>(data.size())) {
        respondWith({400, QByteArray("Malformed request\n")});
        return;
    }
    if (m_complete)
        respond();
}

void HttpConnection::respond()
{
    HttpRequest request;
    request.method = QString::fromLatin1(http_method_str(static_cast<http_method>(m_parser.method)));
    request.url = QString::fromUtf8(m_url);
    request.requestLine = QStringLiteral("%1 %2 HTTP/%3.%4")
                              .arg(request.method, request.url)
                              .arg(m_parser.http_major)
                              .arg(m_parser.http_minor);
    respondWith(m_handler(request));
}

void HttpConnection::respondWith(const HttpResponse &response)
{
    m_answered = true;
    QByteArray head = "HTTP/1.1 " + QByteArray::number(response.status) + ' ' + reasonPhrase(response.status) + "\r\n";
    head += "Content-Type: text/plain\r\n";
    head += "Content-Length: " + QByteArray::number(response.body.size()) + "\r\n";
    head += "Connection: close\r\n\r\n";
    m_socket->write(head + response.body);
    m_socket->disconnectFromHost();
}
