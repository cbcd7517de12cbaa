#ifndef KORVUCHECK_LISTENINGSOCKETS_H
#define KORVUCHECK_LISTENINGSOCKETS_H

#include <QByteArray>

// Whether a daemon listens where a client of 127.0.0.1:2222 reaches it, read
// from the socket tables of /proc, so that a daemon in another network
// namespace can be seen as well.
namespace ListeningSockets {

// In the network namespace of the process pid.
bool inNamespaceOf(qint64 pid);
// In a /proc/<pid>/net/tcp or tcp6 table, on port.
bool inTable(const QByteArray &table, quint16 port);

} // namespace ListeningSockets

#endif // KORVUCHECK_LISTENINGSOCKETS_H
