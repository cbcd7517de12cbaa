#include "run/listeningsockets.h"

#include <daemonport.h>

#include <QFile>
#include <QList>

namespace {

const QByteArray listenState = QByteArrayLiteral("0A");

// The local addresses, as /proc prints them, that accept connections to 127.0.0.1.
const QList<QByteArray> loopbackReachable = {
    QByteArrayLiteral("0100007F"),
    QByteArrayLiteral("00000000"),
    QByteArrayLiteral("00000000000000000000000000000000"),
    QByteArrayLiteral("0000000000000000FFFF00000100007F"),
};

} // namespace

namespace ListeningSockets {

bool inNamespaceOf(qint64 pid)
{
    const QByteArray procDir = "/proc/" + QByteArray::number(pid) + "/net/";
    for (const char *table : {"tcp", "tcp6"}) {
        QFile file(QString::fromLatin1(procDir + table));
        if (file.open(QIODevice::ReadOnly) && inTable(file.readAll(), daemonPort))
            return true;
    }
    return false;
}

bool inTable(const QByteArray &table, quint16 port)
{
    const QByteArray portText = QByteArray::number(port, 16).toUpper().rightJustified(4, '0');
    const QList<QByteArray> lines = table.split('\n');
    for (const QByteArray &line : lines) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() < 4 || fields.at(3) != listenState)
            continue;
        const QList<QByteArray> local = fields.at(1).split(':');
        if (local.size() == 2 && local.at(1) == portText && loopbackReachable.contains(local.at(0)))
            return true;
    }
    return false;
}

} // namespace ListeningSockets
