#include "deliveryclient.h"
#include "deliverysystem.h"
#include "deliverywriter.h"
#include "uuidtext.h"

#include <QDeadlineTimer>
#include <QHash>
#include <QJsonDocument>
#include <QtTest>

#include <atomic>
#include <memory>
#include <vector>

namespace {

QByteArray describe(const QJsonValue &value) { return QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact); }

} // namespace

// Every change korvud acknowledged is on disk: a SIGKILL right after the
// reply, or in the middle of a burst of writes, loses nothing and leaves the
// databases intact.
class TestPersistence : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void testChangeSurvivesKill_data();
    void testChangeSurvivesKill();
    void testKillDuringBurst_data();
    void testKillDuringBurst();

private:
    void verifyDatabasesIntact();

    std::unique_ptr<DeliverySystem> m_system;
};

void TestPersistence::init()
{
    m_system = std::make_unique<DeliverySystem>();
    QVERIFY(m_system->start());
}

void TestPersistence::cleanup() { m_system.reset(); }

void TestPersistence::verifyDatabasesIntact()
{
    const QStringList files = m_system->daemon().databaseFiles();
    QCOMPARE(files.size(), 2);
    for (const QString &file : files)
        QVERIFY2(SystemDaemon::integrityCheck(file) == QLatin1String("ok"),
                 qPrintable(file + ": " + SystemDaemon::integrityCheck(file)));
}

void TestPersistence::testChangeSurvivesKill_data()
{
    QTest::addColumn<QString>("change");

    QTest::newRow("added delivery") << "add";
    QTest::newRow("removed delivery") << "remove";
    QTest::newRow("removed thing") << "remove thing";
}

void TestPersistence::testChangeSurvivesKill()
{
    QFETCH(QString, change);

    QJsonArray expected;
    QJsonArray expectedThings;
    {
        DeliveryClient client;
        QVERIFY(client.open());
        const QUuid gateId = m_system->gateId();
        const QUuid scannerId = m_system->scannerId();
        const QUuid notificationId = m_system->notificationId();

        QVariantMap kept = DeliveryClient::deliveryRecord(QStringLiteral("Kept \"parcel\" ✓"),
                                                          QStringLiteral("JJD 0004 7120"), gateId, scannerId);
        kept.insert("notificationIds", QVariantList{Korvu::idText(notificationId)});
        kept.insert("openDuration", 5);
        kept.insert("calendarItems", QVariantList{QVariantMap{{"datetime", 1700000000}, {"duration", 3600}}});
        const QUuid keptId = DeliveryClient::addedDeliveryId(client.addDelivery(kept));
        QVERIFY(!keptId.isNull());

        if (change == QLatin1String("add")) {
            expected = client.deliveries();
            expectedThings = client.things();
        } else if (change == QLatin1String("remove")) {
            const QUuid goneId = DeliveryClient::addedDeliveryId(client.addDelivery(
                DeliveryClient::deliveryRecord(QStringLiteral("Gone"), QStringLiteral("4711"), gateId, scannerId)));
            QVERIFY(!goneId.isNull());
            expected = client.deliveries();
            expected.removeLast();
            expectedThings = client.things();
            const QJsonObject reply = client.removeDelivery(goneId);
            QCOMPARE(DeliveryClient::paramsOf(reply).value("deliveryError").toString(),
                     QStringLiteral("DeliveryErrorNoError"));
        } else {
            expected = client.deliveries();
            expectedThings = client.things();
            expectedThings.removeLast();
            const QJsonObject reply = client.call("Integrations.RemoveThing",
                                                  {{"thingId", Korvu::idText(notificationId)}});
            QCOMPARE(DeliveryClient::paramsOf(reply).value("thingError").toString(),
                     QStringLiteral("ThingErrorNoError"));
        }
        // Killed right after the reply, before anything else can happen.
        m_system->daemon().kill();
    }

    verifyDatabasesIntact();
    QVERIFY(m_system->daemon().start());
    DeliveryClient client;
    QVERIFY(client.open());
    QCOMPARE(client.deliveries(), expected);
    QCOMPARE(client.things(), expectedThings);
}

void TestPersistence::testKillDuringBurst_data()
{
    QTest::addColumn<int>("clients");
    QTest::addColumn<int>("window");
    QTest::addColumn<int>("killAfter");

    QTest::newRow("4 clients, one request each in flight") << 4 << 1 << 150;
    QTest::newRow("6 clients, pipelined") << 6 << 16 << 300;
    QTest::newRow("killed at the very start") << 6 << 16 << 1;
}

void TestPersistence::testKillDuringBurst()
{
    QFETCH(int, clients);
    QFETCH(int, window);
    QFETCH(int, killAfter);

    std::atomic<int> acknowledged{0};
    std::vector<std::unique_ptr<DeliveryWriter>> writers;
    for (int i = 0; i < clients; ++i) {
        writers.push_back(
            std::make_unique<DeliveryWriter>(i, m_system->gateId(), m_system->scannerId(), 0, window, &acknowledged));
        writers.back()->start();
    }
    const QDeadlineTimer deadline(20000);
    while (acknowledged < killAfter && !deadline.hasExpired())
        QThread::msleep(1);
    m_system->daemon().kill();
    for (const auto &writer : writers) {
        writer->stop();
        QVERIFY(writer->wait(30000));
    }
    QVERIFY2(acknowledged >= killAfter, "the burst did not get going");

    // What every client sent, and what came back acknowledged.
    QHash<QString, QUuid> acknowledgedIds;
    QSet<QString> sentNames;
    for (int i = 0; i < clients; ++i) {
        const DeliveryWriter &writer = *writers.at(size_t(i));
        QVERIFY2(writer.failure().isEmpty(), qPrintable(writer.failure()));
        for (const DeliveryWriter::Acknowledgement &acknowledgement : writer.acknowledgements())
            acknowledgedIds.insert(acknowledgement.name, acknowledgement.deliveryId);
        for (int n = 1; n <= writer.sentCount(); ++n)
            sentNames.insert(DeliveryWriter::deliveryName(i, n));
    }

    verifyDatabasesIntact();
    QVERIFY(m_system->daemon().start());
    DeliveryClient client;
    QVERIFY(client.open());
    const QJsonArray stored = client.deliveries();

    QHash<QString, QUuid> storedIds;
    for (const QJsonValue &value : stored) {
        const QString name = value["name"].toString();
        QVERIFY2(sentNames.contains(name), "stored but never sent: " + describe(value));
        QVERIFY2(!storedIds.contains(name), "stored twice: " + describe(value));
        QCOMPARE(value["delivered"], QJsonValue(false));
        storedIds.insert(name, QUuid(value["id"].toString()));
    }
    for (auto it = acknowledgedIds.cbegin(); it != acknowledgedIds.cend(); ++it)
        QVERIFY2(storedIds.value(it.key()) == it.value(), qPrintable("acknowledged but lost: " + it.key()));
    qInfo("%d acknowledged, %d stored, %d sent", int(acknowledgedIds.size()), int(storedIds.size()),
          int(sentNames.size()));
}

QTEST_GUILESS_MAIN(TestPersistence)
#include "tst_persistence.moc"
