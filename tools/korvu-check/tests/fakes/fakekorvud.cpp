// Stands in for korvud: listens on 127.0.0.1:2222 until it is killed.
#include <QCoreApplication>
#include <QHostAddress>
#include <QTcpServer>
#include <QTextStream>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTcpServer server;
    if (!server.listen(QHostAddress::LocalHost, 2222)) {
        QTextStream(stderr) << "fakekorvud: cannot listen on 127.0.0.1:2222: " << server.errorString() << '\n';
        return 1;
    }
    return app.exec();
}
