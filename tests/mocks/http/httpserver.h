#ifndef DELIVERYMOCKS_HTTPSERVER_H
#define DELIVERYMOCKS_HTTPSERVER_H

#include "httpconnection.h"
#include "httprequest.h"
#include "httpresponse.h"

#include <QHash>
#include <QObject>
#include <QSet>
#include <QString>

#include <functional>

class QTcpServer;

// A small HTTP/1.1 server on the loopback address that answers GET requests
// on registered paths. Unknown paths get 404, other methods 405.
//
// It holds at most maxConnections clients. At the limit a new client still
// gets in: the server drops a closing connection, else the one idle longest,
// else the one whose unfinished request began first. Only a server whose
// every connection is inside a handler turns a client away.
class HttpServer : public QObject
{
    Q_OBJECT
public:
    using Handler = std::function<HttpResponse(const HttpRequest &)>;
    using ResponseFilter = std::function<HttpResponse(const HttpRequest &, const HttpResponse &)>;

    static constexpr int maxConnections = 32;

    explicit HttpServer(QObject *parent = nullptr);
    ~HttpServer() override;

    void addRoute(const QString &path, const Handler &handler);
    // Sees every request the routes answered, and the 404 and 405 answers,
    // together with that response, and returns what is sent instead. A device
    // that misbehaves on purpose plays its faults through it.
    void setResponseFilter(const ResponseFilter &filter);

    // For connections accepted from now on.
    void setTimeouts(const HttpConnection::Timeouts &timeouts);

    // Port 0 picks a free port; see serverPort().
    bool listen(quint16 port);
    bool isListening() const;
    quint16 serverPort() const;
    QString errorString() const;

    // Stops listening and drops every client connection at once.
    void close();

    int connectionCount() const;

private:
    void acceptConnections();
    bool makeRoom();
    HttpConnection *evictionCandidate() const;
    HttpResponse dispatch(const HttpRequest &request) const;

    QTcpServer *m_server;
    quint16 m_port = 0; // kept for logging after close()
    QHash<QString, Handler> m_routes;
    ResponseFilter m_responseFilter;
    HttpConnection::Timeouts m_timeouts;
    QSet<HttpConnection *> m_connections;
};

#endif // DELIVERYMOCKS_HTTPSERVER_H
