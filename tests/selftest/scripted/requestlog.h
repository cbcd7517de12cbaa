#ifndef SCRIPTEDKORVUD_REQUESTLOG_H
#define SCRIPTEDKORVUD_REQUESTLOG_H

#include <QByteArray>
#include <QString>

// Appends what the daemon received to the file named by KORVU_REQUEST_LOG, one
// JSON object per line: {"t": ms since the epoch, "start": n, "kind": "rpc",
// "data": raw request text} or {..., "kind": "http", "port": p, "line":
// request line}. Without the variable nothing is written.
class RequestLog
{
public:
    RequestLog(const QString &filePath, int start);

    void recordRpc(const QByteArray &raw);
    void recordTrailingBytes(const QByteArray &raw);
    void recordHttp(int port, const QString &requestLine);

private:
    void write(const QString &kind, const QString &key, const QString &text, int port = 0);

    QString m_filePath;
    int m_start = 0;
};

#endif // SCRIPTEDKORVUD_REQUESTLOG_H
