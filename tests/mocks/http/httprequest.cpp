#include "httprequest.h"

#include <QUrl>

#include <http_parser.h>

QByteArray HttpRequest::method() const { return m_method; }
void HttpRequest::setMethod(const QByteArray &method) { m_method = method; }

QByteArray HttpRequest::target() const { return m_target; }
int HttpRequest::targetLength() const { return m_target.size(); }

void HttpRequest::appendToTarget(const char *data, int length) { m_target.append(data, length); }

bool HttpRequest::parseTarget()
{
    http_parser_url url;
    http_parser_url_init(&url);
    const bool isConnect = m_method == "CONNECT";
    if (http_parser_parse_url(m_target.constData(), size_t(m_target.size()), isConnect, &url) != 0)
        return false;

    auto field = [&](http_parser_url_fields which) {
        if (!(url.field_set & (1 << which)))
            return QByteArray();
        return m_target.mid(url.field_data[which].off, url.field_data[which].len);
    };
    m_path = QUrl::fromPercentEncoding(field(UF_PATH));
    m_query = QUrlQuery(QString::fromUtf8(field(UF_QUERY)));
    return true;
}

QString HttpRequest::path() const { return m_path; }
QUrlQuery HttpRequest::query() const { return m_query; }

QList<HttpRequest::Header> HttpRequest::headers() const { return m_headers; }

void HttpRequest::appendToHeaderName(const char *data, int length)
{
    // The parser may deliver a name in several pieces; a new name starts
    // once a value has been seen.
    if (m_headers.isEmpty() || m_headerValueStarted) {
        m_headers.append(Header());
        m_headerValueStarted = false;
    }
    m_headers.last().first.append(data, length);
}

void HttpRequest::appendToHeaderValue(const char *data, int length)
{
    if (m_headers.isEmpty())
        m_headers.append(Header());
    m_headerValueStarted = true;
    m_headers.last().second.append(data, length);
}

QByteArray HttpRequest::body() const { return m_body; }

void HttpRequest::appendToBody(const char *data, int length) { m_body.append(data, length); }

bool HttpRequest::keepAlive() const { return m_keepAlive; }
void HttpRequest::setKeepAlive(bool keepAlive) { m_keepAlive = keepAlive; }

void HttpRequest::setVersion(int major, int minor)
{
    m_majorVersion = major;
    m_minorVersion = minor;
}

QByteArray HttpRequest::requestLine() const
{
    return m_method + ' ' + m_target + " HTTP/" + QByteArray::number(m_majorVersion) + '.'
           + QByteArray::number(m_minorVersion);
}
