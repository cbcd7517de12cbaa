#ifndef DELIVERYMOCKS_HTTPRESPONSE_H
#define DELIVERYMOCKS_HTTPRESPONSE_H

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

// A plain-text HTTP response. Content-Type, Content-Length and Connection
// are always written by toByteArray().
class HttpResponse
{
public:
    explicit HttpResponse(int statusCode = 200, const QByteArray &body = QByteArray());

    // A response whose body is the status's reason phrase and a line feed.
    static HttpResponse fromStatus(int statusCode);

    int statusCode() const;
    QByteArray body() const;

    void addHeader(const QByteArray &name, const QByteArray &value);

    // A response to HEAD carries the headers of the full response but no body.
    QByteArray toByteArray(bool keepAlive, bool withBody = true) const;

private:
    static QByteArray reasonPhrase(int statusCode);

    int m_statusCode;
    QByteArray m_body;
    QList<QPair<QByteArray, QByteArray>> m_headers;
};

#endif // DELIVERYMOCKS_HTTPRESPONSE_H
