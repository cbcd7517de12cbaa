#ifndef DAEMONPORT_H
#define DAEMONPORT_H

#include <QtGlobal>

// The port on 127.0.0.1 where the suite reaches the daemon's JSON-RPC
// interface; whoever starts the suite (korvu-check) probes and keeps free the
// same one.
constexpr quint16 daemonPort = 2222;

#endif // DAEMONPORT_H
