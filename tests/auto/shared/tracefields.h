#ifndef TRACEFIELDS_H
#define TRACEFIELDS_H

// The names in the suite's traffic trace, which the suite writes and
// korvu-check reads back. The file the variable names gets one JSON object per
// exchange and line. Every line holds the monotonic clock in ms, the function
// and row the test framework is running, the phase of it and the kind, with
// these fields:
//   rpc          request (the bytes written), reply (the bytes read), waitMs
//   http         port, method, path (with query), status (0 without one),
//                error (QNetworkReply::NetworkError name), finished, body, waitMs
//   connect      connected, error (QAbstractSocket::SocketError name), waitMs
//   daemonStart  program, arguments, pid, started
//   daemonKill   pid
//   daemonExit   pid, exitStatus (normal or crash), exitCode
// Byte fields that are not valid UTF-8 are written as the field's name with
// the Base64 suffix.
namespace TraceFields {

constexpr char fileVariable[] = "KORVU_TRACE_FILE";

constexpr char time[] = "t";
constexpr char function[] = "function";
constexpr char row[] = "row";
constexpr char phase[] = "phase";
constexpr char kind[] = "kind";

constexpr char initPhase[] = "init";
constexpr char testPhase[] = "test";
constexpr char cleanupPhase[] = "cleanup";

constexpr char rpcKind[] = "rpc";
constexpr char httpKind[] = "http";
constexpr char connectKind[] = "connect";
constexpr char daemonStartKind[] = "daemonStart";
constexpr char daemonKillKind[] = "daemonKill";
constexpr char daemonExitKind[] = "daemonExit";

constexpr char request[] = "request";
constexpr char reply[] = "reply";
constexpr char waitMs[] = "waitMs";
constexpr char port[] = "port";
constexpr char method[] = "method";
constexpr char path[] = "path";
constexpr char status[] = "status";
constexpr char error[] = "error";
constexpr char finished[] = "finished";
constexpr char body[] = "body";
constexpr char connected[] = "connected";
constexpr char program[] = "program";
constexpr char arguments[] = "arguments";
constexpr char pid[] = "pid";
constexpr char started[] = "started";
constexpr char exitStatus[] = "exitStatus";
constexpr char exitCode[] = "exitCode";

constexpr char normalExit[] = "normal";
constexpr char crashExit[] = "crash";

constexpr char base64Suffix[] = "Base64";

} // namespace TraceFields

#endif // TRACEFIELDS_H
