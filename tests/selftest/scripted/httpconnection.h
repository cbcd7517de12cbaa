#ifndef HTTPCONNECTION_H
#define HTTPCONNECTION_H

#include "httpmessage.h"

#include <QObject>

#include <http_parser.h>

#include <functional>

class QTcpSocket;

// One client connection of a mock device's control port. Each request gets one
// response, then the connection is closed ("Connection: close").
class HttpConnection : public QObject
{
    Q_OBJECT
public:
    using Handler = std::function<HttpResponse(const HttpRequest &request)>;

    HttpConnection(QTcpSocket *socket, const Handler &handler, QObject *parent = nullptr);

private:
    static int onUrl(http_parser *parser, const char *at, size_t length);
    static int onMessageComplete(http_parser *parser);

    void readAvailable();
    void respond();
    void respondWith(const HttpResponse &response);

    QTcpSocket *m_socket;
    Handler m_handler;
    http_parser m_parser;
    http_parser_settings m_settings;
    QByteArray m_url;
    bool m_complete = false;
    bool m_answered = false;
};

#endif // HTTPCONNECTION_H
