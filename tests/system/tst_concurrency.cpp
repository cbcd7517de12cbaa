#include "deliveryclient.h"
#include "deliverysystem.h"
#include "deliverywriter.h"

#include <QHash>
#include <QSet>
#include <QtTest>

#include <atomic>
#include <memory>
#include <vector>

// Many clients at once: every request is answered on its own connection, in
// order, and nothing gets lost or mixed up between clients.
class TestConcurrency : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void testClientsAddingAtOnce_data();
    void testClientsAddingAtOnce();
    void testReadersBesideWriters();

private:
    std::unique_ptr<DeliverySystem> m_system;
};

void TestConcurrency::init()
{
    m_system = std::make_unique<DeliverySystem>();
    QVERIFY(m_system->start());
}

void TestConcurrency::cleanup() { m_system.reset(); }

void TestConcurrency::testClientsAddingAtOnce_data()
{
    QTest::addColumn<int>("clients");
    QTest::addColumn<int>("deliveriesEach");
    QTest::addColumn<int>("window");

    QTest::newRow("20 clients, request and reply") << 20 << 15 << 1;
    QTest::newRow("20 clients, all requests back to back") << 20 << 15 << 15;
}

void TestConcurrency::testClientsAddingAtOnce()
{
    QFETCH(int, clients);
    QFETCH(int, deliveriesEach);
    QFETCH(int, window);

    std::atomic<int> acknowledged{0};
    std::vector<std::unique_ptr<DeliveryWriter>> writers;
    for (int i = 0; i < clients; ++i)
        writers.push_back(std::make_unique<DeliveryWriter>(i, m_system->gateId(), m_system->scannerId(), deliveriesEach,
                                                           window, &acknowledged));
    for (const auto &writer : writers)
        writer->start();
    for (const auto &writer : writers)
        QVERIFY(writer->wait(60000));

    // The writers checked each reply against the request it answers.
    QHash<QUuid, QString> acknowledgedNames;
    for (const auto &writer : writers) {
        QVERIFY2(writer->failure().isEmpty(), qPrintable(writer->failure()));
        QVERIFY(!writer->connectionLost());
        QCOMPARE(writer->acknowledgements().size(), deliveriesEach);
        for (const DeliveryWriter::Acknowledgement &acknowledgement : writer->acknowledgements()) {
            QVERIFY2(!acknowledgedNames.contains(acknowledgement.deliveryId), "one id for two deliveries");
            acknowledgedNames.insert(acknowledgement.deliveryId, acknowledgement.name);
        }
    }

    DeliveryClient client;
    QVERIFY(client.open());
    const QJsonArray stored = client.deliveries();
    QCOMPARE(stored.size(), clients * deliveriesEach);
    for (const QJsonValue &value : stored) {
        const QUuid id(value["id"].toString());
        QVERIFY2(acknowledgedNames.contains(id),
                 qPrintable("listed but never acknowledged: " + value["id"].toString()));
        QCOMPARE(value["name"].toString(), acknowledgedNames.value(id));
    }
}

// Listing whole tables while others write must neither stall the writers nor
// show a delivery twice.
void TestConcurrency::testReadersBesideWriters()
{
    const int writerCount = 8;
    const int deliveriesEach = 20;
    std::atomic<int> acknowledged{0};
    std::vector<std::unique_ptr<DeliveryWriter>> writers;
    for (int i = 0; i < writerCount; ++i) {
        writers.push_back(std::make_unique<DeliveryWriter>(i, m_system->gateId(), m_system->scannerId(), deliveriesEach,
                                                           4, &acknowledged));
        writers.back()->start();
    }

    DeliveryClient reader;
    QVERIFY(reader.open());
    int lastCount = 0;
    while (acknowledged < writerCount * deliveriesEach) {
        const QJsonArray listing = reader.deliveries();
        QSet<QString> ids;
        for (const QJsonValue &value : listing)
            ids.insert(value["id"].toString());
        QCOMPARE(ids.size(), listing.size());
        QVERIFY2(listing.size() >= lastCount, "a listing lost deliveries that an earlier one showed");
        lastCount = listing.size();
        if (std::all_of(writers.cbegin(), writers.cend(), [](const auto &writer) { return writer->isFinished(); }))
            break;
    }
    for (const auto &writer : writers) {
        QVERIFY(writer->wait(60000));
        QVERIFY2(writer->failure().isEmpty(), qPrintable(writer->failure()));
    }
    QCOMPARE(reader.deliveries().size(), writerCount * deliveriesEach);
}

QTEST_GUILESS_MAIN(TestConcurrency)
#include "tst_concurrency.moc"
