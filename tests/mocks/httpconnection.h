#ifndef HTTPCONNECTION_H
#define HTTPCONNECTION_H

#include "httprequest.h"
#include "httpresponse.h"

#include <QByteArray>
#include <QObject>
#include <QTimer>

#include <http_parser.h>

#include <functional>

class QTcpSocket;

// One client connection of HttpServer. Parses any number of requests, also
// pipelined or split across reads, and answers each one in order through the
// dispatcher. Malformed or oversized requests get an error reply and the
// connection is closed, since the stream cannot be resynchronised.
class HttpConnection : public QObject
{
    Q_OBJECT
public:
    using Dispatcher = std::function<HttpResponse(const HttpRequest &)>;

    static constexpr int maxTargetLength = 8 * 1024;
    static constexpr int maxHeaderBytes = 16 * 1024;
    static constexpr int maxBodyLength = 64 * 1024;
    static constexpr int idleTimeoutMs = 120 * 1000;

    // Takes ownership of the connected socket.
    HttpConnection(QTcpSocket *socket, const Dispatcher &dispatcher, QObject *parent = nullptr);
    ~HttpConnection() override;

    // Drops the connection at once, without a reply. Deletion is deferred, so
    // this is safe while a request of this connection is being handled.
    void abort();

signals:
    void closed();

private:
    void processIncoming();
    bool parsePending();
    void handleRequest();
    void rejectRequest(int statusCode);
    void send(const HttpResponse &response, bool keepAlive, bool withBody = true);
    void closeAfterReply();
    void finish();
    bool isWriteBacklogged() const;

    static const http_parser_settings *parserSettings();
    static HttpConnection *connectionOf(http_parser *parser);
    static int onMessageBegin(http_parser *parser);
    static int onUrl(http_parser *parser, const char *data, size_t length);
    static int onHeaderField(http_parser *parser, const char *data, size_t length);
    static int onHeaderValue(http_parser *parser, const char *data, size_t length);
    static int onBody(http_parser *parser, const char *data, size_t length);
    static int onMessageComplete(http_parser *parser);
    int rejectWhenOver(int size, int limit, int statusCode);

    QTcpSocket *m_socket;
    Dispatcher m_dispatcher;
    http_parser m_parser;
    QByteArray m_pending;
    HttpRequest m_request;
    int m_headerBytes = 0;
    int m_limitStatus = 0;
    bool m_processing = false;
    bool m_closing = false;
    bool m_finished = false;
    QTimer m_idleTimer;
};

#endif // HTTPCONNECTION_H
