#ifndef KORVU_SYSTEM_HTTPPROBE_H
#define KORVU_SYSTEM_HTTPPROBE_H

#include <QByteArray>
#include <QList>
#include <QUuid>

// One-shot requests to the mock things' control ports, each on a fresh
// connection: raw bytes, well-formed or not, and the two requests the
// delivery flow needs, reading an action history and scanning a code.
class HttpProbe
{
public:
    struct Response
    {
        int statusCode = 0; // 0: no complete response came
        QByteArray body;
        bool closedByServer = false;
    };

    // Sends the bytes and reads one response, or whatever comes until the
    // server closes or the time is up.
    static Response exchange(quint16 port, const QByteArray &request, int timeoutMs = 5000);
    static Response get(quint16 port, const QByteArray &target, int timeoutMs = 5000);

    // GET /actionhistory, read as action type ids.
    static QList<QUuid> actionHistory(quint16 port);
    // GET /generateevent for a codeScanned event with the code; the status code.
    static int scan(const QString &code);
};

#endif // KORVU_SYSTEM_HTTPPROBE_H
