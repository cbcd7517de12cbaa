#ifndef HTTPSERVER_H
#define HTTPSERVER_H

#include "httprequest.h"
#include "httpresponse.h"

#include <QHash>
#include <QObject>
#include <QSet>
#include <QString>

#include <functional>

class HttpConnection;
class QTcpServer;

// A small HTTP/1.1 server on the loopback address that answers GET requests
// on registered paths. Unknown paths get 404, other methods 405.
class HttpServer : public QObject
{
    Q_OBJECT
public:
    using Handler = std::function<HttpResponse(const HttpRequest &)>;

    static constexpr int maxConnections = 32;

    explicit HttpServer(QObject *parent = nullptr);
    ~HttpServer() override;

    void addRoute(const QString &path, const Handler &handler);

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
    HttpResponse dispatch(const HttpRequest &request) const;

    QTcpServer *m_server;
    quint16 m_port = 0; // kept for logging after close()
    QHash<QString, Handler> m_routes;
    QSet<HttpConnection *> m_connections;
};

#endif // HTTPSERVER_H
