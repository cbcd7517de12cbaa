#include "jsonhandler.h"
#include "jsonrpcreplies.h"
#include "jsonrpcrouter.h"

#include <QJsonDocument>
#include <QtTest>

namespace {

QJsonObject object(const QByteArray &json) { return QJsonDocument::fromJson(json).object(); }

// "<name>.Echo" succeeds with the params it got; "<name>.Fail" fails and keeps them.
class EchoHandler : public JsonHandler
{
public:
    explicit EchoHandler(const QString &name = QStringLiteral("Test"))
        : JsonHandler(name)
    {
        registerMethod(QStringLiteral("Echo"), [](const QVariantMap &params) { return JsonReply::success(params); });
        registerMethod(QStringLiteral("Fail"),
                       [](const QVariantMap &params) { return JsonReply::error(QStringLiteral("it failed"), params); });
    }
};

} // namespace

class TestJsonRpcRouter : public QObject
{
    Q_OBJECT
private slots:
    void init();

    void testRequestErrors_data();
    void testRequestErrors();
    void testIdIsEchoed_data();
    void testIdIsEchoed();
    void testHandlerReply_data();
    void testHandlerReply();
    void testOneHandlerPerNamespace();

private:
    EchoHandler m_handler;
    JsonRpcRouter m_router;
};

void TestJsonRpcRouter::init()
{
    m_router = JsonRpcRouter();
    QVERIFY(m_router.registerHandler(&m_handler));
}

void TestJsonRpcRouter::testRequestErrors_data()
{
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QString>("expectedError");

    QTest::newRow("unknown namespace") << QByteArray(R"({"id":1,"method":"Nope.Echo"})")
                                       << R"(Unknown method "Nope.Echo")";
    QTest::newRow("unknown method") << QByteArray(R"({"id":1,"method":"Test.Fly"})") << R"(Unknown method "Test.Fly")";
    QTest::newRow("method without namespace")
        << QByteArray(R"({"id":1,"method":"Echo"})") << R"(Unknown method "Echo")";
    QTest::newRow("method missing") << QByteArray(R"({"id":1,"params":{}})") << R"("method")";
    QTest::newRow("method not a string") << QByteArray(R"({"id":1,"method":5})") << R"("method")";
    QTest::newRow("params a list") << QByteArray(R"({"id":1,"method":"Test.Echo","params":[]})")
                                   << R"(Test.Echo: "params" must be an object)";
    QTest::newRow("params null") << QByteArray(R"({"id":1,"method":"Test.Echo","params":null})")
                                 << R"(Test.Echo: "params" must be an object)";
}

void TestJsonRpcRouter::testRequestErrors()
{
    QFETCH(QByteArray, request);
    QFETCH(QString, expectedError);

    const QJsonObject reply = m_router.processRequest(object(request));
    QCOMPARE(reply.value("status").toString(), QStringLiteral("error"));
    QVERIFY2(reply.value("error").toString().contains(expectedError), qPrintable(JsonRpcReplies::compact(reply)));
    QCOMPARE(reply.value("id"), QJsonValue(1));
    QCOMPARE(reply.value("params"), QJsonValue(QJsonObject()));
}

void TestJsonRpcRouter::testIdIsEchoed_data()
{
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("expectedId");
    QTest::addColumn<QString>("expectedStatus");

    QTest::newRow("integer") << QByteArray(R"({"id":7,"method":"Test.Echo"})") << QByteArray("7") << "success";
    QTest::newRow("large integer") << QByteArray(R"({"id":2147483647,"method":"Test.Echo"})")
                                   << QByteArray("2147483647") << "success";
    QTest::newRow("fraction") << QByteArray(R"({"id":2.5,"method":"Test.Echo"})") << QByteArray("2.5") << "success";
    QTest::newRow("string") << QByteArray(R"({"id":"abc","method":"Test.Echo"})") << QByteArray(R"("abc")")
                            << "success";
    QTest::newRow("object") << QByteArray(R"({"id":{"a":[1,"}"]},"method":"Test.Echo"})")
                            << QByteArray(R"({"a":[1,"}"]})") << "success";
    QTest::newRow("null") << QByteArray(R"({"id":null,"method":"Test.Echo"})") << QByteArray("null") << "success";
    QTest::newRow("absent") << QByteArray(R"({"method":"Test.Echo"})") << QByteArray("null") << "success";
    QTest::newRow("on an error reply") << QByteArray(R"({"id":"x","method":"Test.Nope"})") << QByteArray(R"("x")")
                                       << "error";
}

void TestJsonRpcRouter::testIdIsEchoed()
{
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, expectedId);
    QFETCH(QString, expectedStatus);

    const QJsonObject reply = m_router.processRequest(object(request));
    QCOMPARE(reply.value("id"), JsonRpcReplies::valueOf(expectedId));
    QCOMPARE(reply.value("status").toString(), expectedStatus);
    QStringList expectedKeys{"id", "params", "status"};
    if (expectedStatus == QLatin1String("error"))
        expectedKeys.prepend("error");
    QCOMPARE(reply.keys(), expectedKeys);
}

void TestJsonRpcRouter::testHandlerReply_data()
{
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("expectedReply");

    QTest::newRow("success") << QByteArray(R"({"id":1,"method":"Test.Echo","params":{"a":[1,{"b":null}],"c":"d"}})")
                             << QByteArray(R"({"id":1,"status":"success","params":{"a":[1,{"b":null}],"c":"d"}})");
    QTest::newRow("no params") << QByteArray(R"({"id":1,"method":"Test.Echo"})")
                               << QByteArray(R"({"id":1,"status":"success","params":{}})");
    QTest::newRow("error keeps its params")
        << QByteArray(R"({"id":1,"method":"Test.Fail","params":{"e":2}})")
        << QByteArray(R"({"id":1,"status":"error","params":{"e":2},"error":"it failed"})");
}

void TestJsonRpcRouter::testHandlerReply()
{
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, expectedReply);

    QCOMPARE(JsonRpcReplies::compact(m_router.processRequest(object(request))),
             JsonRpcReplies::compact(object(expectedReply)));
}

void TestJsonRpcRouter::testOneHandlerPerNamespace()
{
    const QJsonObject echo = object(R"({"id":1,"method":"Test.Echo"})");
    EchoHandler second;
    EchoHandler unnamed{QString()};
    EchoHandler dotted{QStringLiteral("Te.st")};
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("second JSON-RPC handler for \"Test\"")));
    QVERIFY(!m_router.registerHandler(&second));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("invalid name")));
    QVERIFY(!m_router.registerHandler(&unnamed));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("invalid name \"Te.st\"")));
    QVERIFY(!m_router.registerHandler(&dotted));

    // Withdrawing the refused handler leaves the first one in place.
    m_router.unregisterHandler(&second);
    QCOMPARE(m_router.processRequest(echo).value("status").toString(), QStringLiteral("success"));
    m_router.unregisterHandler(&m_handler);
    QCOMPARE(m_router.processRequest(echo).value("status").toString(), QStringLiteral("error"));
}

QTEST_GUILESS_MAIN(TestJsonRpcRouter)
#include "tst_jsonrpcrouter.moc"
