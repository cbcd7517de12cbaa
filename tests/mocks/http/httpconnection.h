#ifndef DELIVERYMOCKS_HTTPCONNECTION_H
#define DELIVERYMOCKS_HTTPCONNECTION_H

#include "httprequest.h"
#include "httpresponse.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <http_parser.h>

#include <functional>

class QTcpSocket;

// One client connection of HttpServer. Parses any number of requests, also
// pipelined or split across reads, and answers each one in order through the
// dispatcher. Malformed or oversized requests get an error reply and the
// connection is closed, since the stream cannot be resynchronised.
//
// No client holds a connection for long without using it: a request must
// arrive whole within Timeouts::requestMs of its first byte (or it gets 408
// and the connection is closed), and a connection with no request in
// progress is dropped after Timeouts::idleMs.
class HttpConnection : public QObject
{
    Q_OBJECT
public:
    using Dispatcher = std::function<HttpResponse(const HttpRequest &)>;

    struct Timeouts
    {
        // From a request's first byte until it has arrived whole; also how
        // long a closing connection may take to hand over its last reply.
        int requestMs = 5 * 1000;
        // With no request in progress. Blank lines between requests do not
        // count as activity.
        int idleMs = 15 * 1000;
    };

    enum class Phase {
        Idle, // waiting for the first byte of a request
        Receiving, // a request has begun but not yet arrived whole
        Handling, // a request is being answered
        Closing, // the last reply is going out, or the connection is gone
    };
    Q_ENUM(Phase)

    static constexpr int maxTargetLength = 8 * 1024;
    static constexpr int maxHeaderBytes = 16 * 1024;
    static constexpr int maxBodyLength = 64 * 1024;

    // Takes ownership of the connected socket.
    HttpConnection(QTcpSocket *socket, const Dispatcher &dispatcher, const Timeouts &timeouts,
                   QObject *parent = nullptr);
    ~HttpConnection() override;

    Phase phase() const;
    // When the connection entered its current phase.
    const QElapsedTimer &phaseStarted() const;

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
    void enterPhase(Phase phase);
    void handleTimeout();
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
    bool m_finished = false;
    Timeouts m_timeouts;
    Phase m_phase = Phase::Idle;
    QElapsedTimer m_phaseStarted;
    QTimer m_phaseTimer;
};

#endif // DELIVERYMOCKS_HTTPCONNECTION_H
