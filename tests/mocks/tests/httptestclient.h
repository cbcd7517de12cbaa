#ifndef HTTPTESTCLIENT_H
#define HTTPTESTCLIENT_H

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QTcpSocket>

// A raw HTTP client for tests: sends exactly the bytes it is given and splits
// what comes back into responses. All waits keep the event loop running, so
// a server in the same thread keeps working.
class HttpTestClient
{
public:
    struct Response
    {
        int statusCode = 0;
        QHash<QByteArray, QByteArray> headers; // names in lower case
        QByteArray body;
    };

    bool connectTo(quint16 port, int timeoutMs = 2000);
    QAbstractSocket::SocketError error() const;
    void send(const QByteArray &bytes);
    // The next response answers a HEAD request: its Content-Length has no body behind it.
    void expectBodilessResponse();

    // Waits until count responses arrived, the server closed, or the time ran out.
    QList<Response> readResponses(int count, int timeoutMs = 5000);
    bool waitForDisconnected(int timeoutMs = 5000);
    bool isConnected() const;

private:
    bool takeResponse(Response *response);

    QTcpSocket m_socket;
    QByteArray m_received;
    bool m_nextResponseBodiless = false;
};

#endif // HTTPTESTCLIENT_H
