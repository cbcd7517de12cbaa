#include "bystanderclient.h"
#include "deliveryclient.h"
#include "deliverysystem.h"
#include "hostilerequests.h"
#include "jsonrpcserver.h"
#include "rpcconnection.h"

#include <QDir>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QJsonDocument>
#include <QTcpSocket>
#include <QtTest>

#include <algorithm>
#include <memory>

using Request = HostileRequests::Request;
using Outcome = HostileRequests::Outcome;

namespace {

const quint32 GarbageSeed = 20240611;

QByteArray compact(const QJsonValue &value) { return QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact); }

// The id as the reply must echo it: absent reads as null.
QJsonValue requestId(const QByteArray &request)
{
    const QJsonValue id = QJsonDocument::fromJson(request).object().value(QStringLiteral("id"));
    return id.isUndefined() ? QJsonValue(QJsonValue::Null) : id;
}

bool acknowledges(const QJsonObject &reply)
{
    const QJsonObject params = DeliveryClient::paramsOf(reply);
    return reply.value("status") == QLatin1String("success")
           && (params.value("deliveryError") == QLatin1String("DeliveryErrorNoError")
               || params.value("thingError") == QLatin1String("ThingErrorNoError"));
}

// Empty when the reply is what the request deserves; else why not.
QString judge(const Request &request, const QJsonObject &reply)
{
    if (compact(reply.value("id")) != compact(requestId(request.bytes)))
        return QStringLiteral("the reply does not carry the request's id");
    const QString status = reply.value("status").toString();
    if ((status != QLatin1String("success") && status != QLatin1String("error")) || !reply.value("params").isObject())
        return QStringLiteral("the reply is malformed");
    if (request.outcome == Outcome::Refused && acknowledges(reply))
        return QStringLiteral("the request was accepted");
    if (request.outcome != Outcome::Error)
        return QString();
    if (status != QLatin1String("error"))
        return QStringLiteral("the reply is no error");
    const QString message = reply.value("error").toString();
    for (const QString &mention : request.mentions) {
        if (!message.contains(mention))
            return QStringLiteral("the error message does not name \"%1\"").arg(mention.left(100));
    }
    return QString();
}

int openDescriptors(qint64 processId)
{
    return QDir(QStringLiteral("/proc/%1/fd").arg(processId))
        .entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::System)
        .size();
}

} // namespace

// Malformed and hostile JSON-RPC input. korvud must answer what can be
// answered, refuse what is wrong, drop only the connection whose stream is
// broken, and keep serving everyone else throughout.
class TestRpcAbuse : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();

    void testWellFramedHostileRequests_data();
    void testWellFramedHostileRequests();
    void testBrokenStreamsAreClosed_data();
    void testBrokenStreamsAreClosed();
    void testConnectionChurnLeaksNothing();
    void testRepeatedKeysLeakNothing();
    void testOthersAreServedDuringAbuse();
    void testLargeRepliesGiveTheirMemoryBack();

private:
    QList<Request> requestsOfKind(const QString &kind) const;
    // Sends the requests back to back on one connection; the number acknowledged.
    int sendAndJudge(const QList<Request> &requests);
    void verifyBrokenStreamIsClosed(const QByteArray &bytes);
    void churnConnections(int count);
    int deliveryCount();

    std::unique_ptr<DeliverySystem> m_system;
    std::unique_ptr<HostileRequests> m_requests;
};

void TestRpcAbuse::initTestCase()
{
    m_system = std::make_unique<DeliverySystem>();
    QVERIFY(m_system->start());
    m_requests = std::make_unique<HostileRequests>(m_system->gateId(), m_system->scannerId(),
                                                   m_system->notificationId());
}

void TestRpcAbuse::cleanupTestCase() { m_system.reset(); }

QList<Request> TestRpcAbuse::requestsOfKind(const QString &kind) const
{
    if (kind == QLatin1String("wrong types"))
        return m_requests->wrongTypes();
    if (kind == QLatin1String("bad uuids"))
        return m_requests->badUuids();
    if (kind == QLatin1String("unknown methods"))
        return m_requests->unknownMethods();
    if (kind == QLatin1String("odd envelopes"))
        return m_requests->oddEnvelopes();
    return m_requests->extremeValues();
}

int TestRpcAbuse::deliveryCount()
{
    DeliveryClient client;
    return client.open() ? client.deliveries().size() : -1;
}

int TestRpcAbuse::sendAndJudge(const QList<Request> &requests)
{
    RpcConnection connection;
    if (!connection.open())
        return -1;
    QByteArray stream;
    for (int i = 0; i < requests.size(); ++i)
        stream += HostileRequests::withId(requests.at(i).bytes, i + 1);
    connection.write(stream);

    const QList<QJsonObject> replies = connection.readReplies(requests.size(), 30000);
    if (replies.size() != requests.size()) {
        qWarning("%d replies to %d requests; korvud is %s; its output:\n%s", int(replies.size()), int(requests.size()),
                 m_system->daemon().isRunning() ? "running" : "gone",
                 m_system->daemon().standardError().right(2000).constData());
        return -1;
    }
    int acknowledged = 0;
    for (int i = 0; i < requests.size(); ++i) {
        const Request request{HostileRequests::withId(requests.at(i).bytes, i + 1), requests.at(i).outcome,
                              requests.at(i).mentions};
        const QString verdict = judge(request, replies.at(i));
        if (!verdict.isEmpty()) {
            qWarning("%s\nrequest: %s\nreply:   %s", qPrintable(verdict), request.bytes.left(300).constData(),
                     compact(replies.at(i)).left(300).constData());
            return -1;
        }
        if (acknowledges(replies.at(i)))
            ++acknowledged;
    }
    // The connection is still good.
    return connection.call(QStringLiteral("JSONRPC.Hello")).value("status") == QLatin1String("success") ? acknowledged
                                                                                                        : -1;
}

void TestRpcAbuse::testWellFramedHostileRequests_data()
{
    QTest::addColumn<QString>("kind");
    for (const char *kind : {"wrong types", "bad uuids", "unknown methods", "odd envelopes", "extreme values"})
        QTest::newRow(kind) << QString::fromLatin1(kind);
}

void TestRpcAbuse::testWellFramedHostileRequests()
{
    QFETCH(QString, kind);

    const int deliveriesBefore = deliveryCount();
    const int acknowledged = sendAndJudge(requestsOfKind(kind));
    QVERIFY(acknowledged >= 0);
    // Only the deliveries the daemon acknowledged were added, and no thing.
    QCOMPARE(deliveryCount(), deliveriesBefore + acknowledged);
    DeliveryClient client;
    QVERIFY(client.open());
    QCOMPARE(client.things().size(), 3);
}

void TestRpcAbuse::verifyBrokenStreamIsClosed(const QByteArray &bytes)
{
    RpcConnection connection;
    QVERIFY(connection.open());
    connection.write(bytes);
    const QList<QJsonObject> replies = connection.readReplies(2, 5000);
    QVERIFY2(connection.waitForClosed(5000), "the broken connection stays open");
    // A client that goes on sending after its limit may find the connection
    // reset before it reads the reply, so for those the reply is not required.
    QVERIFY(replies.size() == 1 || (replies.isEmpty() && bytes.size() > 1024 * 1024));
    for (const QJsonObject &reply : replies) {
        QCOMPARE(reply.value("status").toString(), QStringLiteral("error"));
        QCOMPARE(reply.value("id"), QJsonValue(QJsonValue::Null));
        QVERIFY(!reply.value("error").toString().isEmpty());
    }
}

void TestRpcAbuse::testBrokenStreamsAreClosed_data()
{
    QTest::addColumn<QByteArray>("bytes");

    const QList<QByteArray> framingErrors = HostileRequests::framingErrors();
    for (int i = 0; i < framingErrors.size(); ++i)
        QTest::addRow(
            "%d: %s", i,
            QByteArray(framingErrors.at(i)).replace('\0', "\\0").left(40).toPercentEncoding(" {}[]:\",'").constData())
            << framingErrors.at(i);
}

void TestRpcAbuse::testBrokenStreamsAreClosed()
{
    QFETCH(QByteArray, bytes);

    DeliveryClient bystander;
    QVERIFY(bystander.open());
    verifyBrokenStreamIsClosed(bytes);
    QCOMPARE(bystander.call("JSONRPC.Hello").value("status").toString(), QStringLiteral("success"));
}

void TestRpcAbuse::churnConnections(int count)
{
    for (int i = 0; i < count; ++i) {
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, JsonRpcServer::DefaultPort);
        if (!socket.waitForConnected(5000))
            return;
        switch (i % 4) {
        case 0: // gone at once
            break;
        case 1: // half a request
            socket.write(R"({"id":1,"method":"JSONRPC.He)");
            break;
        case 2: // a request whose reply nobody reads
            socket.write(R"({"id":1,"method":"PlavoDelivery.GetDeliveries"})");
            break;
        default: // a request, and the connection closed politely
            socket.write(R"({"id":1,"method":"JSONRPC.Hello"})");
            socket.waitForBytesWritten(1000);
            socket.disconnectFromHost();
            continue;
        }
        socket.waitForBytesWritten(1000);
        socket.abort();
    }
}

void TestRpcAbuse::testConnectionChurnLeaksNothing()
{
    DeliveryClient bystander;
    QVERIFY(bystander.open());
    // A connection counts once korvud has accepted it, not when the handshake
    // is done: a slow daemon would otherwise be short of the bystander here.
    QCOMPARE(bystander.call("JSONRPC.Hello").value("status").toString(), QStringLiteral("success"));
    const int descriptorsBefore = openDescriptors(m_system->daemon().processId());
    QVERIFY(descriptorsBefore > 0);

    churnConnections(400);
    QCOMPARE(bystander.call("JSONRPC.Hello").value("status").toString(), QStringLiteral("success"));
    QTRY_COMPARE_WITH_TIMEOUT(openDescriptors(m_system->daemon().processId()), descriptorsBefore, 5000);
}

// Qt 5.15's JSON parser loses the earlier value of a repeated key when it is
// an object or an array, so korvud must refuse such a request before it gets
// there: an error naming the key, the connection closed as for any bad JSON.
void TestRpcAbuse::testRepeatedKeysLeakNothing()
{
    const QByteArray array = "[" + QByteArray("1,").repeated(100000) + "1]";
    const QByteArray request = R"({"id":1,"method":"JSONRPC.Hello","params":{"x":)" + array + R"(},"params":{}})";
    DeliveryClient bystander;
    QVERIFY(bystander.open());
    const qint64 residentBefore = m_system->daemon().residentKiB();
    QVERIFY(residentBefore > 0);
    for (int i = 0; i < 100; ++i) {
        RpcConnection connection;
        QVERIFY(connection.open());
        connection.write(request);
        const QList<QJsonObject> replies = connection.readReplies(1);
        QCOMPARE(replies.size(), 1);
        QCOMPARE(replies.first().value("status").toString(), QStringLiteral("error"));
        QVERIFY2(replies.first().value("error").toString().contains(QLatin1String("\"params\"")),
                 qPrintable(replies.first().value("error").toString()));
        QVERIFY(connection.waitForClosed());
    }
    const qint64 growthKiB = m_system->daemon().residentKiB() - residentBefore;
    qInfo("100 requests of %d bytes with a repeated key: resident memory grew by %lld KiB", int(request.size()),
          growthKiB);
    QVERIFY(growthKiB < 16 * 1024);
    QCOMPARE(bystander.call("JSONRPC.Hello").value("status").toString(), QStringLiteral("success"));
}

// More than a thousand bad requests in a row, while another client goes on
// working; afterwards a plain request still works.
void TestRpcAbuse::testOthersAreServedDuringAbuse()
{
    const QList<Request> wellFramed = m_requests->all();
    const QList<QByteArray> broken = HostileRequests::framingErrors()
                                     + HostileRequests::randomGarbage(450, GarbageSeed);
    const int churned = 100;
    QVERIFY2(wellFramed.size() + broken.size() >= 1000, qPrintable(QString::number(wellFramed.size() + broken.size())));

    BystanderClient bystander;
    bystander.start();
    QElapsedTimer clock;
    clock.start();

    const int deliveriesBefore = deliveryCount();
    const int acknowledged = sendAndJudge(wellFramed);
    QVERIFY(acknowledged >= 0);
    for (const QByteArray &bytes : broken) {
        verifyBrokenStreamIsClosed(bytes);
        if (QTest::currentTestFailed())
            break;
    }
    churnConnections(churned);

    bystander.stop();
    QVERIFY(bystander.wait(30000));
    if (QTest::currentTestFailed())
        return;
    qInfo("%d hostile requests and %d churned connections in %lld ms; the bystander made %d calls, the slowest took "
          "%lld ms",
          int(wellFramed.size() + broken.size()), churned, clock.elapsed(), bystander.calls(),
          bystander.slowestReplyMs());
    QVERIFY2(bystander.failures() == 0, qPrintable(bystander.firstFailure()));
    QVERIFY(bystander.calls() > 10);
    QVERIFY2(bystander.slowestReplyMs() < 2000, "the bystander waited too long");

    QVERIFY(m_system->daemon().isRunning());
    QCOMPARE(deliveryCount(), deliveriesBefore + acknowledged);
    DeliveryClient client;
    QVERIFY(client.open());
    const QJsonArray things = client.things();
    QCOMPARE(things.size(), 3);
    QVariantMap delivery = DeliveryClient::deliveryRecord(
        "After the storm", "4711", QUuid(things.at(0)["id"].toString()), QUuid(things.at(1)["id"].toString()));
    const QUuid deliveryId = DeliveryClient::addedDeliveryId(client.addDelivery(delivery));
    QVERIFY(!deliveryId.isNull());
    QCOMPARE(client.delivery(deliveryId)["name"].toString(), QStringLiteral("After the storm"));
}

// A listing of megabytes is built, serialised and queued for writing all at
// once. glibc keeps such memory for reuse once it is freed, so unless korvud
// hands it back, every large reply leaves the daemon that much bigger.
void TestRpcAbuse::testLargeRepliesGiveTheirMemoryBack()
{
    const int batches = 10;
    const int batchSize = 1000;
    DeliveryClient client;
    QVERIFY(client.open());
    for (int batch = 0; batch < batches; ++batch) {
        QByteArray stream;
        for (int i = 0; i < batchSize; ++i) {
            const QString name = QStringLiteral("Parcel %1").arg(batch * batchSize + i);
            const QVariantMap params{
                {"delivery", DeliveryClient::deliveryRecord(name, name, m_system->gateId(), m_system->scannerId())}};
            stream += RpcConnection::request(i, QStringLiteral("PlavoDelivery.AddDelivery"), params);
        }
        client.connection().write(stream);
        const QList<QJsonObject> replies = client.connection().readReplies(batchSize, 30000);
        QCOMPARE(replies.size(), batchSize);
        QVERIFY(std::all_of(replies.cbegin(), replies.cend(), acknowledges));
    }
    const qint64 residentBefore = m_system->daemon().residentKiB();
    QVERIFY(residentBefore > 0);

    const QJsonObject listing = client.call(QStringLiteral("PlavoDelivery.GetDeliveries"));
    const int replySize = QJsonDocument(listing).toJson(QJsonDocument::Compact).size();
    QVERIFY2(replySize > 1024 * 1024, qPrintable(QString::number(replySize)));
    for (int i = 0; i < 2; ++i)
        QCOMPARE(client.call(QStringLiteral("PlavoDelivery.GetDeliveries")).value("status").toString(),
                 QStringLiteral("success"));

    const auto growthKiB = [&] { return m_system->daemon().residentKiB() - residentBefore; };
    QTRY_VERIFY2_WITH_TIMEOUT(growthKiB() < 2 * 1024, qPrintable(QStringLiteral("grew by %1 KiB").arg(growthKiB())),
                              5000);
    qInfo("three listings of %d bytes: resident memory grew by %lld KiB", replySize, growthKiB());
}

QTEST_GUILESS_MAIN(TestRpcAbuse)
#include "tst_rpcabuse.moc"
