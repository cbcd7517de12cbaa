#ifndef HTTPSERVER_H
#define HTTPSERVER_H

#include "httpconnection.h"

#include <QObject>

class QTcpServer;

// A plain HTTP/1.1 server on 127.0.0.1 for one mock device's control port.
class HttpServer : public QObject
{
    Q_OBJECT
public:
    HttpServer(quint16 port, const HttpConnection::Handler &handler, QObject *parent = nullptr);

    bool listen(QString *errorMessage);
    quint16 port() const;

private:
    void acceptConnections();

    quint16 m_port;
    HttpConnection::Handler m_handler;
    QTcpServer *m_server;
};

#endif // HTTPSERVER_H
