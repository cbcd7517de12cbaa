#include "httpserver.h"

#include "deliverymockslogging.h"
#include "httpconnection.h"

#include <QTcpServer>
#include <QTcpSocket>

HttpServer::HttpServer(QObject *parent)
    : QObject(parent)
    , m_server(new QTcpServer(this))
{
    connect(m_server, &QTcpServer::newConnection, this, &HttpServer::acceptConnections);
}

HttpServer::~HttpServer()
{
    close();
}

void HttpServer::addRoute(const QString &path, const Handler &handler)
{
    m_routes.insert(path, handler);
}

bool HttpServer::listen(quint16 port)
{
    if (!m_server->listen(QHostAddress::LocalHost, port))
        return false;
    m_port = m_server->serverPort();
    return true;
}

bool HttpServer::isListening() const { return m_server->isListening(); }
quint16 HttpServer::serverPort() const { return m_server->serverPort(); }
QString HttpServer::errorString() const { return m_server->errorString(); }
int HttpServer::connectionCount() const { return m_connections.count(); }

void HttpServer::close()
{
    m_server->close();
    const QSet<HttpConnection *> connections = m_connections;
    for (HttpConnection *connection : connections)
        connection->abort();
    m_connections.clear();
}

void HttpServer::acceptConnections()
{
    while (QTcpSocket *socket = m_server->nextPendingConnection()) {
        if (m_connections.count() >= maxConnections) {
            qCWarning(dcDeliveryMocks) << "HTTP server on port" << m_port << "refuses a connection: too many open";
            socket->abort();
            socket->deleteLater();
            continue;
        }
        auto connection = new HttpConnection(socket, [this](const HttpRequest &request) { return dispatch(request); }, this);
        m_connections.insert(connection);
        connect(connection, &HttpConnection::closed, this, [this, connection] { m_connections.remove(connection); });
    }
}

HttpResponse HttpServer::dispatch(const HttpRequest &request) const
{
    HttpResponse response = HttpResponse::fromStatus(404);
    const auto route = m_routes.constFind(request.path());
    if (route != m_routes.constEnd()) {
        if (request.method() == "GET") {
            response = route.value()(request);
        } else {
            response = HttpResponse::fromStatus(405);
            response.addHeader("Allow", "GET");
        }
    }
    qCDebug(dcDeliveryMocks).noquote() << "HTTP" << m_port << request.method() << request.target()
                                       << "->" << response.statusCode();
    return response;
}
