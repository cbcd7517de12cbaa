#include "run/isolation/portcheck.h"

#include <daemonport.h>
#include <deliverymocksids.h>

#include <QHostAddress>
#include <QTcpServer>

QList<quint16> PortCheck::korvuPorts()
{
    return {daemonPort, DeliveryMocksIds::garageGatePort, DeliveryMocksIds::parcelScannerPort,
            DeliveryMocksIds::notificationDevicePort};
}

quint16 PortCheck::firstTakenPort(const QList<quint16> &ports)
{
    for (quint16 port : ports) {
        QTcpServer server;
        if (!server.listen(QHostAddress::LocalHost, port))
            return port;
    }
    return 0;
}

QString PortCheck::takenPortMessage(quint16 port)
{
    return QStringLiteral("port %1 on 127.0.0.1 is in use and this machine offers no private network namespace; "
                          "stop its holder first (see it with: ss -ltnp 'sport = :%1')")
        .arg(port);
}
