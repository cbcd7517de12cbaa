#include "httpconnection.h"
#include "httpserver.h"
#include "httptestclient.h"

#include <QElapsedTimer>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTest>

#include <memory>
#include <vector>

class TestHttpServer : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void testResponse_data();
    void testResponse();
    void testSplitRequest_data();
    void testSplitRequest();
    void testPipelinedRequests();
    void testKeepAliveWithNetworkAccessManager();
    void testCloseDropsClientsAndFreesPort();
    void testGarbageNeverBreaksServer();
    void testStalledConnectionDropped_data();
    void testStalledConnectionDropped();
    void testSteadyClientKeptAlive();
    void testFullServerMakesRoom_data();
    void testFullServerMakesRoom();

private:
    static QByteArray get(const QByteArray &target);
    void verifyServerStillAnswers();
    static constexpr HttpConnection::Timeouts shortTimeouts{400, 800};

    HttpServer *m_server = nullptr;
    quint16 m_port = 0;
};

QByteArray TestHttpServer::get(const QByteArray &target)
{
    return "GET " + target + " HTTP/1.1\r\nHost: localhost\r\n\r\n";
}

void TestHttpServer::init()
{
    m_server = new HttpServer(this);
    m_server->addRoute(QStringLiteral("/hello"), [](const HttpRequest &request) {
        return HttpResponse(
            200, "hello " + request.query().queryItemValue(QStringLiteral("who"), QUrl::FullyDecoded).toUtf8());
    });
    QVERIFY(m_server->listen(0));
    m_port = m_server->serverPort();
}

void TestHttpServer::cleanup()
{
    delete m_server;
    m_server = nullptr;
}

void TestHttpServer::verifyServerStillAnswers()
{
    HttpTestClient client;
    QVERIFY(client.connectTo(m_port));
    client.send(get("/hello"));
    const QList<HttpTestClient::Response> responses = client.readResponses(1);
    QCOMPARE(responses.count(), 1);
    QCOMPARE(responses.first().statusCode, 200);
}

void TestHttpServer::testResponse_data()
{
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<int>("statusCode");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<bool>("keptOpen");

    const QByteArray longTarget = "/hello?who=" + QByteArray(HttpConnection::maxTargetLength, 'x');
    const QByteArray bigHeader = "X-Big: " + QByteArray(HttpConnection::maxHeaderBytes, 'x') + "\r\n";
    const QByteArray bigBody(HttpConnection::maxBodyLength + 1, 'x');

    QTest::newRow("get") << get("/hello") << 200 << QByteArray("hello ") << true;
    QTest::newRow("percent-encoded query")
        << get("/hello?who=a%20b%C3%BC") << 200 << QByteArray("hello a b\xc3\xbc") << true;
    QTest::newRow("absolute-form target")
        << get("http://localhost/hello?who=me") << 200 << QByteArray("hello me") << true;
    QTest::newRow("connection close") << QByteArray("GET /hello HTTP/1.1\r\nConnection: close\r\n\r\n") << 200
                                      << QByteArray("hello ") << false;
    QTest::newRow("http/1.0") << QByteArray("GET /hello HTTP/1.0\r\n\r\n") << 200 << QByteArray("hello ") << false;
    QTest::newRow("upgrade") << QByteArray("GET /hello HTTP/1.1\r\nConnection: Upgrade\r\nUpgrade: websocket\r\n\r\n")
                             << 200 << QByteArray("hello ") << false;
    QTest::newRow("unknown path") << get("/nothing") << 404 << QByteArray("Not Found\n") << true;
    QTest::newRow("post") << QByteArray("POST /hello HTTP/1.1\r\nContent-Length: 3\r\n\r\nabc") << 405
                          << QByteArray("Method Not Allowed\n") << true;
    QTest::newRow("head") << QByteArray("HEAD /hello HTTP/1.1\r\n\r\n") << 405 << QByteArray("Method Not Allowed\n")
                          << true;
    QTest::newRow("binary garbage") << QByteArray("\x00\x01\x02hello\r\n\r\n", 12) << 400 << QByteArray("Bad Request\n")
                                    << false;
    QTest::newRow("bad version") << QByteArray("GET /hello HTTP/x.y\r\n\r\n") << 400 << QByteArray("Bad Request\n")
                                 << false;
    QTest::newRow("header without colon")
        << QByteArray("GET /hello HTTP/1.1\r\nBroken\r\n\r\n") << 400 << QByteArray("Bad Request\n") << false;
    QTest::newRow("bad content length") << QByteArray("POST /hello HTTP/1.1\r\nContent-Length: zz\r\n\r\n") << 400
                                        << QByteArray("Bad Request\n") << false;
    QTest::newRow("target too long") << get(longTarget) << 414 << QByteArray("URI Too Long\n") << false;
    QTest::newRow("headers too large") << "GET /hello HTTP/1.1\r\n" + bigHeader + "\r\n"
                                       << 431 << QByteArray("Request Header Fields Too Large\n") << false;
    QTest::newRow("body too large") << "POST /hello HTTP/1.1\r\nContent-Length: " + QByteArray::number(bigBody.size())
                                           + "\r\n\r\n" + bigBody
                                    << 413 << QByteArray("Payload Too Large\n") << false;
}

void TestHttpServer::testResponse()
{
    QFETCH(QByteArray, request);
    QFETCH(int, statusCode);
    QFETCH(QByteArray, body);
    QFETCH(bool, keptOpen);

    const bool isHead = request.startsWith("HEAD ");
    HttpTestClient client;
    QVERIFY(client.connectTo(m_port));
    if (isHead)
        client.expectBodilessResponse();
    client.send(request);
    const QList<HttpTestClient::Response> responses = client.readResponses(1);
    QCOMPARE(responses.count(), 1);
    const HttpTestClient::Response response = responses.first();
    QCOMPARE(response.statusCode, statusCode);
    QCOMPARE(response.body, isHead ? QByteArray() : body);
    QCOMPARE(response.headers.value("content-length"), QByteArray::number(body.size()));
    QVERIFY(response.headers.value("content-type").startsWith("text/plain"));
    if (statusCode == 405)
        QCOMPARE(response.headers.value("allow"), QByteArray("GET"));

    if (keptOpen) {
        client.send(get("/hello?who=again"));
        const QList<HttpTestClient::Response> next = client.readResponses(1);
        QCOMPARE(next.count(), 1);
        QCOMPARE(next.first().body, QByteArray("hello again"));
    } else {
        QCOMPARE(response.headers.value("connection"), QByteArray("close"));
        QVERIFY(client.waitForDisconnected());
    }
}

void TestHttpServer::testSplitRequest_data()
{
    QTest::addColumn<QList<int>>("splitPositions");

    QTest::newRow("inside the method") << QList<int>{2};
    QTest::newRow("inside the target") << QList<int>{8, 12};
    QTest::newRow("inside a header") << QList<int>{30, 34};
    QTest::newRow("before the final line feed") << QList<int>{-1};
    QTest::newRow("byte by byte") << QList<int>();
}

void TestHttpServer::testSplitRequest()
{
    QFETCH(QList<int>, splitPositions);
    const QByteArray request = "GET /hello?who=split HTTP/1.1\r\nHost: localhost\r\nAccept: */*\r\n\r\n";
    if (splitPositions.isEmpty()) {
        for (int i = 1; i < request.size(); ++i)
            splitPositions.append(i);
    } else if (splitPositions.first() < 0) {
        splitPositions = {int(request.size()) - 1};
    }

    HttpTestClient client;
    QVERIFY(client.connectTo(m_port));
    int start = 0;
    for (int position : qAsConst(splitPositions)) {
        client.send(request.mid(start, position - start));
        start = position;
        QTest::qWait(2);
        QVERIFY(client.readResponses(1, 0).isEmpty());
    }
    client.send(request.mid(start));
    const QList<HttpTestClient::Response> responses = client.readResponses(1);
    QCOMPARE(responses.count(), 1);
    QCOMPARE(responses.first().body, QByteArray("hello split"));
}

void TestHttpServer::testPipelinedRequests()
{
    HttpTestClient client;
    QVERIFY(client.connectTo(m_port));
    client.send(get("/hello?who=1") + get("/nothing") + "POST /hello HTTP/1.1\r\nContent-Length: 2\r\n\r\nxy"
                + get("/hello?who=4"));
    const QList<HttpTestClient::Response> responses = client.readResponses(4);
    QCOMPARE(responses.count(), 4);
    QCOMPARE(responses.at(0).body, QByteArray("hello 1"));
    QCOMPARE(responses.at(1).statusCode, 404);
    QCOMPARE(responses.at(2).statusCode, 405);
    QCOMPARE(responses.at(3).body, QByteArray("hello 4"));
}

void TestHttpServer::testKeepAliveWithNetworkAccessManager()
{
    QNetworkAccessManager manager;
    manager.setProxy(QNetworkProxy::NoProxy);
    for (const QString &who : {QStringLiteral("first"), QStringLiteral("second")}) {
        QNetworkReply *reply = manager.get(
            QNetworkRequest(QUrl(QStringLiteral("http://127.0.0.1:%1/hello?who=%2").arg(m_port).arg(who))));
        QSignalSpy finished(reply, &QNetworkReply::finished);
        QVERIFY(finished.wait(5000));
        QCOMPARE(reply->error(), QNetworkReply::NoError);
        QCOMPARE(reply->readAll(), "hello " + who.toUtf8());
        delete reply;
    }
    QCOMPARE(m_server->connectionCount(), 1);
}

void TestHttpServer::testCloseDropsClientsAndFreesPort()
{
    HttpTestClient idle;
    HttpTestClient halfway;
    QVERIFY(idle.connectTo(m_port));
    QVERIFY(halfway.connectTo(m_port));
    halfway.send("GET /hel");
    QTRY_COMPARE(m_server->connectionCount(), 2);

    m_server->close();
    QCOMPARE(m_server->connectionCount(), 0);
    QVERIFY(idle.waitForDisconnected());
    QVERIFY(halfway.waitForDisconnected());

    HttpTestClient late;
    QVERIFY(!late.connectTo(m_port));
    QCOMPARE(late.error(), QAbstractSocket::ConnectionRefusedError);

    HttpServer again;
    QVERIFY2(again.listen(m_port), qPrintable(again.errorString()));
}

void TestHttpServer::testGarbageNeverBreaksServer()
{
    QRandomGenerator random(20240611);
    const QList<QByteArray> prefixes = {"", "GET ", "GET /hello HTTP/1.1\r\n",
                                        "GET /hello HTTP/1.1\r\nHost: x\r\n\r\n"};
    for (int batch = 0; batch < 8; ++batch) {
        std::vector<std::unique_ptr<HttpTestClient>> clients;
        for (int i = 0; i < 16; ++i) {
            QByteArray garbage(int(random.bounded(1, 600)), Qt::Uninitialized);
            for (char &byte : garbage)
                byte = char(random.bounded(256));
            clients.push_back(std::make_unique<HttpTestClient>());
            QVERIFY(clients.back()->connectTo(m_port));
            clients.back()->send(prefixes.at(i % prefixes.count()) + garbage + "\r\n\r\n");
        }
        QTest::qWait(50);
    }
    verifyServerStillAnswers();
}

// A request must arrive whole within the request time-out of its first byte,
// however slowly it keeps coming; a connection without a request in progress
// goes after the idle time-out. Neither fires early.
void TestHttpServer::testStalledConnectionDropped_data()
{
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<QByteArray>("trickle"); // sent again every 50 ms until the server closes
    QTest::addColumn<QList<int>>("statusCodes");
    QTest::addColumn<int>("timeoutMs");

    const int requestMs = shortTimeouts.requestMs;
    const int idleMs = shortTimeouts.idleMs;
    QTest::newRow("request line cut") << QByteArray("GET /hel") << QByteArray() << QList<int>{408} << requestMs;
    QTest::newRow("headers never end") << QByteArray("GET /hello HTTP/1.1\r\nHost: x\r\n") << QByteArray()
                                       << QList<int>{408} << requestMs;
    QTest::newRow("body shorter than announced") << QByteArray("POST /hello HTTP/1.1\r\nContent-Length: 10\r\n\r\nabc")
                                                 << QByteArray() << QList<int>{408} << requestMs;
    QTest::newRow("second pipelined request cut")
        << get("/hello") + "GET /hel" << QByteArray() << QList<int>{200, 408} << requestMs;
    QTest::newRow("header trickled a byte at a time")
        << QByteArray("GET /hello HTTP/1.1\r\nX-Slow: ") << QByteArray("s") << QList<int>{408} << requestMs;
    QTest::newRow("nothing sent") << QByteArray() << QByteArray() << QList<int>() << idleMs;
    QTest::newRow("after a served request") << get("/hello") << QByteArray() << QList<int>{200} << idleMs;
    QTest::newRow("blank lines only") << QByteArray("\r\n") << QByteArray("\r\n") << QList<int>() << idleMs;
}

void TestHttpServer::testStalledConnectionDropped()
{
    QFETCH(QByteArray, sent);
    QFETCH(QByteArray, trickle);
    QFETCH(QList<int>, statusCodes);
    QFETCH(int, timeoutMs);

    m_server->setTimeouts(shortTimeouts);
    HttpTestClient client;
    QVERIFY(client.connectTo(m_port));
    QElapsedTimer clock;
    clock.start();
    client.send(sent);

    QList<HttpTestClient::Response> responses;
    while (client.isConnected() && clock.elapsed() < timeoutMs + 5000) {
        responses += client.readResponses(statusCodes.count() - responses.count(), 0);
        // Stop at the first sign of the server giving up, so that no late
        // byte makes it reset the connection before we read the reply.
        if (!trickle.isEmpty() && responses.isEmpty())
            client.send(trickle);
        QTest::qWait(50);
    }
    const qint64 elapsed = clock.elapsed();
    responses += client.readResponses(statusCodes.count() - responses.count(), 1000);

    QVERIFY2(!client.isConnected(), "the server kept a stalled connection open");
    // Timers may fire a little early, never much.
    QVERIFY2(elapsed >= timeoutMs * 9 / 10, qPrintable(QStringLiteral("dropped after %1 ms").arg(elapsed)));
    QList<int> receivedCodes;
    for (const HttpTestClient::Response &response : qAsConst(responses))
        receivedCodes.append(response.statusCode);
    QCOMPARE(receivedCodes, statusCodes);
    QCOMPARE(m_server->connectionCount(), 0);
}

// Each complete request starts the clocks afresh, so a client that keeps
// using its connection keeps it for longer than either time-out.
void TestHttpServer::testSteadyClientKeptAlive()
{
    m_server->setTimeouts(shortTimeouts);
    HttpTestClient client;
    QVERIFY(client.connectTo(m_port));
    const int requestCount = 2 * shortTimeouts.idleMs / 150;
    for (int i = 0; i < requestCount; ++i) {
        // Each request arrives in two parts, well inside the request time-out.
        client.send("GET /hello?who=" + QByteArray::number(i));
        QTest::qWait(shortTimeouts.requestMs / 4);
        client.send(" HTTP/1.1\r\n\r\n");
        const QList<HttpTestClient::Response> responses = client.readResponses(1);
        QCOMPARE(responses.count(), 1);
        QCOMPARE(responses.first().body, "hello " + QByteArray::number(i));
        QTest::qWait(150 - shortTimeouts.requestMs / 4);
    }
    QVERIFY(client.isConnected());
}

// With every slot taken, a new client is served all the same: the server
// drops the connection idle longest, or when none is idle, the one whose
// unfinished request began first - not simply its oldest connection.
void TestHttpServer::testFullServerMakesRoom_data()
{
    QTest::addColumn<QList<int>>("served"); // send a whole request, in this order
    QTest::addColumn<QList<int>>("partial"); // then start a request, in this order
    QTest::addColumn<int>("evicted"); // the others sent nothing since they connected

    QList<int> allButFirst;
    QList<int> allButLast;
    QList<int> allButFirstTwo;
    QList<int> allBackwards;
    for (int i = 0; i < HttpServer::maxConnections; ++i) {
        if (i > 0)
            allButFirst.append(i);
        if (i < HttpServer::maxConnections - 1)
            allButLast.append(i);
        if (i > 1)
            allButFirstTwo.append(i);
        allBackwards.prepend(i);
    }

    QTest::newRow("idle newcomer before partial requests")
        << QList<int>() << allButLast << HttpServer::maxConnections - 1;
    QTest::newRow("idle since connecting before idle after a request") << QList<int>{0} << allButFirstTwo << 1;
    QTest::newRow("earlier served before later served") << QList<int>{1, 0} << allButFirstTwo << 1;
    QTest::newRow("oldest partial request, not oldest connection")
        << QList<int>() << allBackwards << HttpServer::maxConnections - 1;
    QTest::newRow("oldest partial request after a served one") << QList<int>{0} << allButFirst + QList<int>{0} << 1;
}

void TestHttpServer::testFullServerMakesRoom()
{
    QFETCH(QList<int>, served);
    QFETCH(QList<int>, partial);
    QFETCH(int, evicted);

    std::vector<std::unique_ptr<HttpTestClient>> clients;
    for (int i = 0; i < HttpServer::maxConnections; ++i) {
        clients.push_back(std::make_unique<HttpTestClient>());
        QVERIFY(clients.back()->connectTo(m_port));
    }
    QTRY_COMPARE(m_server->connectionCount(), HttpServer::maxConnections);
    for (int index : qAsConst(served)) {
        clients.at(size_t(index))->send(get("/hello"));
        QCOMPARE(clients.at(size_t(index))->readResponses(1).count(), 1);
        QTest::qWait(5);
    }
    for (int index : qAsConst(partial)) {
        clients.at(size_t(index))->send("GET /hello HTTP/1.1\r\nX-Partial: ");
        QTest::qWait(5);
    }

    HttpTestClient newcomer;
    QVERIFY(newcomer.connectTo(m_port));
    newcomer.send(get("/hello?who=newcomer"));
    const QList<HttpTestClient::Response> responses = newcomer.readResponses(1);
    QCOMPARE(responses.count(), 1);
    QCOMPARE(responses.first().body, QByteArray("hello newcomer"));

    QVERIFY(clients.at(size_t(evicted))->waitForDisconnected());
    QTest::qWait(50);
    for (int i = 0; i < HttpServer::maxConnections; ++i) {
        if (i != evicted)
            QVERIFY2(clients.at(size_t(i))->isConnected(),
                     qPrintable(QStringLiteral("client %1 was dropped too").arg(i)));
    }
    QCOMPARE(m_server->connectionCount(), HttpServer::maxConnections);
}

QTEST_GUILESS_MAIN(TestHttpServer)
#include "tst_httpserver.moc"
