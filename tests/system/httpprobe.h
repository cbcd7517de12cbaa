#ifndef HTTPPROBE_H
#define HTTPPROBE_H

#include <QByteArray>
#include <QList>
#include <QUuid>

// A blocking HTTP/1.1 client for the mock things' control ports that sends
// exactly the bytes it is given, well-formed or not.
class HttpProbe
{
public:
    struct Response
    {
        int statusCode = 0; // 0: no complete response came
        QByteArray body;
        bool closedByServer = false;
    };

    // Sends the bytes on a fresh connection and reads one response (by its
    // Content-Length), or whatever comes until the server closes or the time is up.
    static Response exchange(quint16 port, const QByteArray &request, int timeoutMs = 5000);
    static Response get(quint16 port, const QByteArray &target, int timeoutMs = 5000);

    // GET /actionhistory, read as action type ids; the body as it came in
    // rawBody, when given.
    static QList<QUuid> actionHistory(quint16 port, QByteArray *rawBody = nullptr);
    // GET /generateevent for a codeScanned event with the code; the status code.
    static int scan(const QString &code);

    static constexpr quint16 GatePort = 6655;
    static constexpr quint16 ScannerPort = 6656;
    static constexpr quint16 NotificationPort = 6657;

private:
    static bool parse(const QByteArray &bytes, Response *response);
};

#endif // HTTPPROBE_H
