#ifndef KORVUCHECK_PORTCHECK_H
#define KORVUCHECK_PORTCHECK_H

#include <QList>
#include <QString>

// Without a private network namespace the run shares the machine's ports:
// the daemon's JSON-RPC port and the three mock control ports must be free.
class PortCheck
{
public:
    static QList<quint16> korvuPorts();
    // The first of the ports that cannot be bound on 127.0.0.1, or 0.
    static quint16 firstTakenPort(const QList<quint16> &ports);
    // One line naming the port and how to find its holder.
    static QString takenPortMessage(quint16 port);
};

#endif // KORVUCHECK_PORTCHECK_H
