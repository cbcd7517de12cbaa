#ifndef TRAFFICTRACE_H
#define TRAFFICTRACE_H

#include <QByteArray>
#include <QStringList>

class QAbstractSocket;
class QNetworkReply;
class QProcess;

// The suite's exchanges with the daemon and the mock devices, for whoever has
// to explain a failed row. When KORVU_TRACE_FILE names a file, each exchange
// is appended to it as one JSON object per line (tracefields.h), in a single
// write, so a crash loses nothing that was traced. When it is unset, every
// call returns at once and the suite behaves as if the trace did not exist.
class TrafficTrace
{
public:
    enum class Phase { Init, Test, Cleanup };

    static void setPhase(Phase phase);

    static void rpc(const QByteArray &request, const QByteArray &reply, qint64 waitMs);
    // The reply to a GET, the only request the suite sends the mock devices;
    // reads the body with peek(), leaving it for the caller.
    static void http(QNetworkReply *reply, qint64 waitMs);
    static void connectionAttempt(const QAbstractSocket *socket, bool connected, qint64 waitMs);
    // Also traces the process's exit, whenever it comes.
    static void daemonStarted(QProcess *process, const QStringList &arguments);
    static void daemonKilled(const QProcess *process);
};

#endif // TRAFFICTRACE_H
