#include "httpserver.h"

#include <QTcpServer>
#include <QTcpSocket>

HttpServer::HttpServer(quint16 port, const HttpConnection::Handler &handler, QObject *parent)
    : QObject(parent)
    , m_port(port)
    , m_handler(handler)
    , m_server(new QTcpServer(this))
{
    connect(m_server, &QTcpServer::newConnection, this, &HttpServer::acceptConnections);
}

bool HttpServer::listen(QString *errorMessage)
{
    if (m_server->listen(QHostAddress::LocalHost, m_port))
        return true;
    *errorMessage = m_server->errorString();
    return false;
}

quint16 HttpServer::port() const { return m_port; }

void HttpServer::acceptConnections()
{
    while (QTcpSocket *socket = m_server->nextPendingConnection())
        new HttpConnection(socket, m_handler, this);
}
