#include "deliveryclient.h"
#include "deliverymocksids.h"
#include "deliverysystem.h"
#include "httpprobe.h"
#include "uuidtext.h"

#include <QElapsedTimer>
#include <QHostAddress>
#include <QRandomGenerator>
#include <QTcpSocket>
#include <QtTest>

#include <algorithm>
#include <memory>
#include <vector>

using namespace DeliveryMocksIds;

namespace {

const QList<quint16> ControlPorts{garageGatePort, parcelScannerPort, notificationDevicePort};
const quint32 GarbageSeed = 4711;

std::unique_ptr<QTcpSocket> connectTo(quint16 port)
{
    auto socket = std::make_unique<QTcpSocket>();
    socket->connectToHost(QHostAddress::LocalHost, port);
    return socket->waitForConnected(2000) ? std::move(socket) : nullptr;
}

int closedByServer(const std::vector<std::unique_ptr<QTcpSocket>> &clients)
{
    return int(std::count_if(clients.cbegin(), clients.cend(), [](const auto &client) {
        client->waitForReadyRead(0);
        return client->state() != QAbstractSocket::ConnectedState;
    }));
}

} // namespace

// Garbage on the mock things' HTTP control ports: every bad request gets a
// fitting error status (or the connection is dropped), and a correct request
// on a fresh connection is still served, also while other clients hold
// half-sent requests open.
class TestHttpAbuse : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();

    void testBadRequestIsRefused_data();
    void testBadRequestIsRefused();
    void testRandomBytes();
    void testSlowClientsDoNotBlockOthers();
    void testMoreSlowClientsThanConnectionSlots();

private:
    // Every port answers /actionhistory with the history set up at the start.
    void verifyControlPortsServe();

    std::unique_ptr<DeliverySystem> m_system;
    QHash<quint16, QByteArray> m_histories;
};

void TestHttpAbuse::initTestCase()
{
    m_system = std::make_unique<DeliverySystem>();
    QVERIFY(m_system->start());
    DeliveryClient client;
    QVERIFY(client.open());
    // Something in one history, so that a served history can be told from an empty body.
    const QJsonObject reply = client.call(
        "Integrations.ExecuteAction",
        {{"thingId", Korvu::idText(m_system->gateId())}, {"actionTypeId", Korvu::idText(garageGateOpenActionTypeId)}});
    QCOMPARE(DeliveryClient::paramsOf(reply).value("thingError").toString(), QStringLiteral("ThingErrorNoError"));
    m_histories.insert(garageGatePort, garageGateOpenActionTypeId.toString().toLatin1() + '\n');
    m_histories.insert(parcelScannerPort, QByteArray());
    m_histories.insert(notificationDevicePort, QByteArray());
    verifyControlPortsServe();
}

void TestHttpAbuse::cleanupTestCase() { m_system.reset(); }

void TestHttpAbuse::verifyControlPortsServe()
{
    for (quint16 port : ControlPorts) {
        const HttpProbe::Response response = HttpProbe::get(port, "/actionhistory");
        QCOMPARE(response.statusCode, 200);
        QCOMPARE(response.body, m_histories.value(port));
    }
}

void TestHttpAbuse::testBadRequestIsRefused_data()
{
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<int>("expectedStatus"); // 0: the connection may just be dropped

    const QByteArray end = "\r\n\r\n";
    QTest::newRow("not HTTP") << QByteArray("hello there\r\n\r\n") << 400;
    QTest::newRow("binary") << QByteArray("\x00\x01\x02\xff\xfe\r\n\r\n", 9) << 400;
    QTest::newRow("unknown method token") << "FETCH /actionhistory HTTP/1.1" + end << 400;
    QTest::newRow("bad version") << "GET /actionhistory HTTP/x.y" + end << 400;
    QTest::newRow("space in the target") << "GET /action history HTTP/1.1" + end << 400;
    QTest::newRow("header without colon") << QByteArray("GET /actionhistory HTTP/1.1\r\nHost\r\n\r\n") << 400;
    QTest::newRow("control byte in a header") << QByteArray("GET /actionhistory HTTP/1.1\r\nX-A: b\x01"
                                                            "c\r\n\r\n")
                                              << 400;
    QTest::newRow("bad content length") << QByteArray("GET /actionhistory HTTP/1.1\r\nContent-Length: -5\r\n\r\n")
                                        << 400;
    QTest::newRow("two content lengths") << QByteArray(
        "GET /actionhistory HTTP/1.1\r\nContent-Length: 1\r\nContent-Length: 2\r\n\r\nab")
                                         << 400;
    QTest::newRow("broken chunk") << QByteArray(
        "GET /actionhistory HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\nzz\r\n")
                                  << 400;
    QTest::newRow("oversized header") << "GET /actionhistory HTTP/1.1\r\nX-Big: " + QByteArray(64 * 1024, 'h') + end
                                      << 431;
    QTest::newRow("many headers") << "GET /actionhistory HTTP/1.1\r\n" + QByteArray("X-A: b\r\n").repeated(8000)
                                         + "\r\n"
                                  << 431;
    QTest::newRow("oversized target") << "GET /actionhistory?" + QByteArray(64 * 1024, 'q') + " HTTP/1.1" + end << 414;
    QTest::newRow("oversized body") << "POST /actionhistory HTTP/1.1\r\nContent-Length: 1000000" + end
                                           + QByteArray(1000000, 'b')
                                    << 413;
    QTest::newRow("unknown path") << "GET /../../etc/passwd HTTP/1.1" + end << 404;
    QTest::newRow("other method") << "DELETE /actionhistory HTTP/1.1" + end << 405;
    QTest::newRow("truncated request line") << QByteArray("GET /actionhis") << 0;
    QTest::newRow("truncated headers") << QByteArray("GET /actionhistory HTTP/1.1\r\nHost: 127") << 0;
    QTest::newRow("good request, then garbage") << "GET /actionhistory HTTP/1.1" + end + "\x01\x02garbage" + end << 200;
}

void TestHttpAbuse::testBadRequestIsRefused()
{
    QFETCH(QByteArray, request);
    QFETCH(int, expectedStatus);

    for (quint16 port : ControlPorts) {
        // Truncated requests are left behind by a client that gives up.
        const HttpProbe::Response response = HttpProbe::exchange(port, request, expectedStatus ? 5000 : 300);
        QCOMPARE(response.statusCode, expectedStatus);
        verifyControlPortsServe();
    }
}

void TestHttpAbuse::testRandomBytes()
{
    QRandomGenerator random(GarbageSeed);
    for (int i = 0; i < 150; ++i) {
        QByteArray bytes(1 + int(random.bounded(2048)), Qt::Uninitialized);
        for (char &byte : bytes)
            byte = char(random.bounded(256));
        // Either a complete response or a dropped connection; never a hang.
        const quint16 port = ControlPorts.at(i % ControlPorts.size());
        std::unique_ptr<QTcpSocket> socket = connectTo(port);
        QVERIFY(socket);
        socket->write(bytes + "\r\n\r\n");
        socket->waitForBytesWritten(1000);
        socket->waitForReadyRead(1000);
        const QByteArray answer = socket->readAll();
        QVERIFY2(answer.isEmpty() || answer.startsWith("HTTP/1.1 4"), answer.left(100).constData());
    }
    verifyControlPortsServe();
    QVERIFY(m_system->daemon().isRunning());
}

// Slow clients (a request sent a byte at a time and never finished) tie up
// connections, not the server.
void TestHttpAbuse::testSlowClientsDoNotBlockOthers()
{
    const int slowClientsPerPort = 10;
    std::vector<std::unique_ptr<QTcpSocket>> slowClients;
    for (quint16 port : ControlPorts) {
        for (int i = 0; i < slowClientsPerPort; ++i) {
            slowClients.push_back(connectTo(port));
            QVERIFY(slowClients.back());
        }
    }

    const QByteArray partialRequest = "GET /actionhistory HTTP/1.1\r\nHost: 127.0.0.1\r\nX-Slow: ";
    QElapsedTimer clock;
    clock.start();
    int sent = 0;
    while (clock.elapsed() < 1500) {
        const QByteArray piece = sent < partialRequest.size() ? partialRequest.mid(sent, 1) : QByteArray("s");
        ++sent;
        for (const auto &client : slowClients) {
            client->write(piece);
            client->flush();
        }
        verifyControlPortsServe();
        if (QTest::currentTestFailed())
            return;
        QThread::msleep(50);
    }
    // Still open: none of them was answered or dropped while it kept sending.
    for (const auto &client : slowClients) {
        client->waitForReadyRead(0);
        QCOMPARE(client->state(), QAbstractSocket::ConnectedState);
        QVERIFY(client->bytesAvailable() == 0);
    }
    QVERIFY(m_system->daemon().isRunning());
}

// The mock's HTTP server holds at most 32 connections. Clients that never
// finish a request must not lock everyone else out of a control port: at the
// limit the server drops the connection whose unfinished request is oldest.
void TestHttpAbuse::testMoreSlowClientsThanConnectionSlots()
{
    // The clients of earlier tests are gone: give the server a moment to notice.
    QThread::msleep(300);
    std::vector<std::unique_ptr<QTcpSocket>> slowClients;
    for (int i = 0; i < 40; ++i) {
        slowClients.push_back(connectTo(garageGatePort));
        QVERIFY(slowClients.back());
        slowClients.back()->write("GET /actionhistory HTTP/1.1\r\nHost: 127.0.0.1\r\nX-Slow: ");
        slowClients.back()->waitForBytesWritten(1000);
    }
    // The server keeps 32 and drops the rest.
    QTRY_COMPARE_WITH_TIMEOUT(closedByServer(slowClients), 8, 2000);

    // A well-behaved client still gets through, at the cost of one more slow one.
    QCOMPARE(HttpProbe::get(garageGatePort, "/actionhistory", 2000).statusCode, 200);
    QTRY_COMPARE_WITH_TIMEOUT(closedByServer(slowClients), 9, 2000);
    QVERIFY(m_system->daemon().isRunning());
}

QTEST_GUILESS_MAIN(TestHttpAbuse)
#include "tst_httpabuse.moc"
