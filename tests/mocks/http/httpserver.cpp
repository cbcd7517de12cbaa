#include "httpserver.h"

#include "deliverymockslogging.h"
#include "logtext.h"

#include <QTcpServer>
#include <QTcpSocket>

namespace {

// Which connections go first when the server is full; -1 for never.
int evictionRank(HttpConnection::Phase phase)
{
    switch (phase) {
    case HttpConnection::Phase::Closing:
        return 0;
    case HttpConnection::Phase::Idle:
        return 1;
    case HttpConnection::Phase::Receiving:
        return 2;
    case HttpConnection::Phase::Handling:
        break;
    }
    return -1;
}

} // namespace

HttpServer::HttpServer(QObject *parent)
    : QObject(parent)
    , m_server(new QTcpServer(this))
{
    connect(m_server, &QTcpServer::newConnection, this, &HttpServer::acceptConnections);
}

HttpServer::~HttpServer() { close(); }

void HttpServer::addRoute(const QString &path, const Handler &handler) { m_routes.insert(path, handler); }

void HttpServer::setResponseFilter(const ResponseFilter &filter) { m_responseFilter = filter; }

void HttpServer::setTimeouts(const HttpConnection::Timeouts &timeouts) { m_timeouts = timeouts; }

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
        if (m_connections.count() >= maxConnections && !makeRoom()) {
            qCWarning(dcDeliveryMocks) << "HTTP server on port" << m_port
                                       << "refuses a connection: every connection is busy";
            socket->abort();
            socket->deleteLater();
            continue;
        }
        auto connection = new HttpConnection(
            socket, [this](const HttpRequest &request) { return dispatch(request); }, m_timeouts, this);
        m_connections.insert(connection);
        connect(connection, &HttpConnection::closed, this, [this, connection] { m_connections.remove(connection); });
    }
}

// Drops one connection to let a new client in; false when none can go.
bool HttpServer::makeRoom()
{
    HttpConnection *victim = evictionCandidate();
    if (!victim)
        return false;
    qCDebug(dcDeliveryMocks) << "HTTP server on port" << m_port << "is full, dropping a connection" << victim->phase()
                             << "for" << victim->phaseStarted().elapsed() << "ms";
    victim->abort();
    m_connections.remove(victim);
    return true;
}

HttpConnection *HttpServer::evictionCandidate() const
{
    HttpConnection *candidate = nullptr;
    for (HttpConnection *connection : m_connections) {
        const int rank = evictionRank(connection->phase());
        if (rank < 0)
            continue;
        if (!candidate) {
            candidate = connection;
            continue;
        }
        const int candidateRank = evictionRank(candidate->phase());
        if (rank < candidateRank || (rank == candidateRank && connection->phaseStarted() < candidate->phaseStarted()))
            candidate = connection;
    }
    return candidate;
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
    if (m_responseFilter)
        response = m_responseFilter(request, response);
    qCDebug(dcDeliveryMocks).noquote() << "HTTP" << m_port << request.method() << LogText::shortened(request.target())
                                       << "->" << response.statusCode();
    return response;
}
