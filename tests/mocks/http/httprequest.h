#ifndef DELIVERYMOCKS_HTTPREQUEST_H
#define DELIVERYMOCKS_HTTPREQUEST_H

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QUrlQuery>

// One parsed HTTP request as HttpConnection hands it to the server.
class HttpRequest
{
public:
    using Header = QPair<QByteArray, QByteArray>;

    QByteArray method() const;
    void setMethod(const QByteArray &method);

    // The request target as sent, e.g. "/generateevent?content=a%20b".
    QByteArray target() const;
    void appendToTarget(const char *data, int length);
    int targetLength() const;

    // Splits the target into path and query; false when it is not a valid
    // request target.
    bool parseTarget();
    // Percent-decoded.
    QString path() const;
    // Still percent-encoded; values are decoded on lookup.
    QUrlQuery query() const;

    QList<Header> headers() const;
    void appendToHeaderName(const char *data, int length);
    void appendToHeaderValue(const char *data, int length);

    QByteArray body() const;
    void appendToBody(const char *data, int length);

    bool keepAlive() const;
    void setKeepAlive(bool keepAlive);

    void setVersion(int major, int minor);
    // "GET /actionhistory HTTP/1.1": the request line as the client sent it.
    QByteArray requestLine() const;

private:
    QByteArray m_method;
    QByteArray m_target;
    QString m_path;
    QUrlQuery m_query;
    QList<Header> m_headers;
    bool m_headerValueStarted = false;
    QByteArray m_body;
    bool m_keepAlive = true;
    int m_majorVersion = 1;
    int m_minorVersion = 1;
};

#endif // DELIVERYMOCKS_HTTPREQUEST_H
