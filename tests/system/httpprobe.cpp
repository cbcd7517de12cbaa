#include "httpprobe.h"

#include "deliverymocksids.h"
#include "httptestclient.h"
#include "uuidtext.h"

#include <QDeadlineTimer>
#include <QUrlQuery>

HttpProbe::Response HttpProbe::exchange(quint16 port, const QByteArray &request, int timeoutMs)
{
    Response response;
    const QDeadlineTimer deadline(timeoutMs);
    HttpTestClient client;
    if (!client.connectTo(port, int(deadline.remainingTime())))
        return response;
    client.send(request);
    const QList<HttpTestClient::Response> responses = client.readResponses(1, int(deadline.remainingTime()));
    if (!responses.isEmpty()) {
        response.statusCode = responses.first().statusCode;
        response.body = responses.first().body;
    }
    // Any close that has already arrived shows once the socket notices it.
    if (client.isConnected())
        client.waitForDisconnected(response.statusCode ? 100 : 0);
    response.closedByServer = !client.isConnected();
    return response;
}

HttpProbe::Response HttpProbe::get(quint16 port, const QByteArray &target, int timeoutMs)
{
    return exchange(port, "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n", timeoutMs);
}

QList<QUuid> HttpProbe::actionHistory(quint16 port)
{
    const Response response = get(port, "/actionhistory");
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
                       Korvu::idText(DeliveryMocksIds::parcelScannerCodeScannedEventTypeId));
    query.addQueryItem(QStringLiteral("content"), code);
    return get(DeliveryMocksIds::parcelScannerPort, "/generateevent?" + query.toString(QUrl::FullyEncoded).toLatin1())
        .statusCode;
}
