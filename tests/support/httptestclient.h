#ifndef KORVU_SUPPORT_HTTPTESTCLIENT_H
#define KORVU_SUPPORT_HTTPTESTCLIENT_H

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QTcpSocket>

#include <http_parser.h>

// A raw HTTP client for tests: sends exactly the bytes it is given, well-formed
// or not, and reads back what comes as responses, parsed with http_parser.
// All waits keep the event loop running, so a server in the same thread keeps
// working.
class HttpTestClient
{
public:
    struct Response
    {
        int statusCode = 0;
        QHash<QByteArray, QByteArray> headers; // names in lower case
        QByteArray body;
    };

    HttpTestClient();
    HttpTestClient(const HttpTestClient &) = delete;
    HttpTestClient &operator=(const HttpTestClient &) = delete;

    bool connectTo(quint16 port, int timeoutMs = 2000);
    QAbstractSocket::SocketError error() const;
    void send(const QByteArray &bytes);
    // The next response answers a HEAD request: its Content-Length has no body behind it.
    void expectBodilessResponse();

    // Waits until count responses arrived, the server closed, or the time ran
    // out. A response the server ends by closing is complete once it closed.
    QList<Response> readResponses(int count, int timeoutMs = 5000);
    bool waitForDisconnected(int timeoutMs = 5000);
    bool isConnected() const;

private:
    void parse(const QByteArray &bytes);

    static HttpTestClient *clientOf(http_parser *parser);
    static int onHeaderField(http_parser *parser, const char *data, size_t length);
    static int onHeaderValue(http_parser *parser, const char *data, size_t length);
    static int onHeadersComplete(http_parser *parser);
    static int onBody(http_parser *parser, const char *data, size_t length);
    static int onMessageComplete(http_parser *parser);

    QTcpSocket m_socket;
    http_parser m_parser;
    http_parser_settings m_settings;
    Response m_current;
    QByteArray m_headerName;
    bool m_headerValueStarted = false;
    bool m_nextResponseBodiless = false;
    bool m_endSeen = false;
    QList<Response> m_complete;
};

#endif // KORVU_SUPPORT_HTTPTESTCLIENT_H
