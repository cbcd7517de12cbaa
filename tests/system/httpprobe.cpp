#include "httpprobe.h"

#include "deliverymocksids.h"

#include <QDeadlineTimer>
#include <QHostAddress>
#include <QTcpSocket>
#include <QUrlQuery>

HttpProbe::Response HttpProbe::exchange(quint16 port, const QByteArray &request, int timeoutMs)
{
    Response response;
    const QDeadlineTimer deadline(timeoutMs);
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    if (!socket.waitForConnected(int(deadline.remainingTime())))
        return response;
    socket.write(request);
    socket.waitForBytesWritten(int(deadline.remainingTime()));

    QByteArray received;
    while (!parse(received, &response) && !deadline.hasExpired()) {
        if (socket.bytesAvailable() == 0 && !socket.waitForReadyRead(int(deadline.remainingTime())))
            break;
        received += socket.readAll();
    }
    received += socket.readAll();
    parse(received, &response);
    // Any close that has already arrived shows once the socket notices it.
    if (socket.state() == QAbstractSocket::ConnectedState)
        socket.waitForReadyRead(response.statusCode ? 100 : 0);
    response.closedByServer = socket.state() != QAbstractSocket::ConnectedState;
    return response;
}

HttpProbe::Response HttpProbe::get(quint16 port, const QByteArray &target, int timeoutMs)
{
    return exchange(port, "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n", timeoutMs);
}

QList<QUuid> HttpProbe::actionHistory(quint16 port, QByteArray *rawBody)
{
    const Response response = get(port, "/actionhistory");
    if (rawBody)
        *rawBody = response.body;
    QList<QUuid> actions;
    for (const QByteArray &line : response.body.split('\n')) {
        if (!line.isEmpty())
            actions.append(QUuid(line));
    }
    return actions;
}

int HttpProbe::scan(const QString &code)
{
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("eventTypeId"),
                       DeliveryMocksIds::parcelScannerCodeScannedEventTypeId.toString(QUuid::WithoutBraces));
    query.addQueryItem(QStringLiteral("content"), code);
    return get(ScannerPort, "/generateevent?" + query.toString(QUrl::FullyEncoded).toLatin1()).statusCode;
}

// True once the bytes hold a status line, the headers and the whole body.
bool HttpProbe::parse(const QByteArray &bytes, Response *response)
{
    const int headerEnd = bytes.indexOf("\r\n\r\n");
    if (!bytes.startsWith("HTTP/1.") || headerEnd < 0)
        return false;
    const QList<QByteArray> lines = bytes.left(headerEnd).split('\n');
    const QList<QByteArray> statusLine = lines.first().trimmed().split(' ');
    int contentLength = 0;
    for (const QByteArray &line : lines.mid(1)) {
        const int colon = line.indexOf(':');
        if (colon > 0 && line.left(colon).trimmed().toLower() == "content-length")
            contentLength = line.mid(colon + 1).trimmed().toInt();
    }
    const QByteArray body = bytes.mid(headerEnd + 4);
    if (statusLine.size() < 2 || body.size() < contentLength)
        return false;
    response->statusCode = statusLine.at(1).toInt();
    response->body = body.left(contentLength);
    return true;
}
