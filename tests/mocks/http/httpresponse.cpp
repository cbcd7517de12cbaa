#include "httpresponse.h"

#include <http_parser.h>

HttpResponse::HttpResponse(int statusCode, const QByteArray &body)
    : m_statusCode(statusCode)
    , m_body(body)
{
}

HttpResponse HttpResponse::fromStatus(int statusCode)
{
    return HttpResponse(statusCode, reasonPhrase(statusCode) + '\n');
}

int HttpResponse::statusCode() const { return m_statusCode; }
QByteArray HttpResponse::body() const { return m_body; }

void HttpResponse::addHeader(const QByteArray &name, const QByteArray &value)
{
    m_headers.append(qMakePair(name, value));
}

QByteArray HttpResponse::toByteArray(bool keepAlive, bool withBody) const
{
    QByteArray bytes;
    bytes += "HTTP/1.1 " + QByteArray::number(m_statusCode) + ' ' + reasonPhrase(m_statusCode) + "\r\n";
    bytes += "Content-Type: text/plain; charset=utf-8\r\n";
    bytes += "Content-Length: " + QByteArray::number(m_body.size()) + "\r\n";
    bytes += keepAlive ? "Connection: keep-alive\r\n" : "Connection: close\r\n";
    for (const auto &header : m_headers)
        bytes += header.first + ": " + header.second + "\r\n";
    bytes += "\r\n";
    if (withBody)
        bytes += m_body;
    return bytes;
}

QByteArray HttpResponse::reasonPhrase(int statusCode)
{
    const QByteArray phrase = http_status_str(static_cast<http_status>(statusCode));
    return phrase == "<unknown>" ? QByteArrayLiteral("Unknown") : phrase;
}
