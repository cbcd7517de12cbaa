#include "deliveryclient.h"
#include "deliverymocksids.h"
#include "deliverysystem.h"
#include "httpprobe.h"
#include "uuidtext.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QtTest>

#include <memory>

using namespace DeliveryMocksIds;
using Actions = QList<QUuid>;

namespace {

const int PollIntervalMs = 20;

qint64 nowMs() { return QDateTime::currentMSecsSinceEpoch(); }
qint64 secondsRoundedUp(qint64 msecs) { return (msecs + 999) / 1000; }

QVariantList calendarWindow(qint64 startOffsetSeconds, qint64 duration)
{
    return {QVariantMap{{"datetime", QDateTime::currentSecsSinceEpoch() + startOffsetSeconds}, {"duration", duration}}};
}

QByteArray describe(const QJsonValue &value)
{
    return QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Indented);
}

} // namespace

// A delivery end to end through korvud and the mock things' HTTP ports: the
// scan, the scanner's answer, the gate cycle, the notification and the
// delivered mark, across a restart; and refused scans that change nothing.
class TestDeliveryFlow : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void testGrantedScan_data();
    void testGrantedScan();
    void testRefusedScanChangesNothing_data();
    void testRefusedScanChangesNothing();

private:
    QUuid addDelivery(const QString &trackingCode, const QVariantList &calendarItems);
    // Polls the gate until its state is no longer `state`; the moment it saw the change.
    qint64 waitWhileGateIs(const QString &state, int timeoutMs);

    std::unique_ptr<DeliverySystem> m_system;
    std::unique_ptr<DeliveryClient> m_client;
};

void TestDeliveryFlow::init()
{
    m_system = std::make_unique<DeliverySystem>();
    QVERIFY(m_system->start());
    m_client = std::make_unique<DeliveryClient>();
    QVERIFY(m_client->open());
}

void TestDeliveryFlow::cleanup()
{
    m_client.reset();
    m_system.reset();
}

QUuid TestDeliveryFlow::addDelivery(const QString &trackingCode, const QVariantList &calendarItems)
{
    QVariantMap delivery = DeliveryClient::deliveryRecord(QStringLiteral("Parcel"), trackingCode, m_system->gateId(),
                                                          m_system->scannerId());
    delivery.insert("notificationIds", QVariantList{Korvu::idText(m_system->notificationId())});
    delivery.insert("openDuration", 1);
    delivery.insert("calendarItems", calendarItems);
    return DeliveryClient::addedDeliveryId(m_client->addDelivery(delivery));
}

qint64 TestDeliveryFlow::waitWhileGateIs(const QString &state, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (m_client->gateState(m_system->gateId()) == state && clock.elapsed() < timeoutMs)
        QThread::msleep(PollIntervalMs);
    return nowMs();
}

void TestDeliveryFlow::testGrantedScan_data()
{
    QTest::addColumn<QString>("trackingCode");
    QTest::addColumn<QString>("scannedCode");
    QTest::addColumn<QVariantList>("calendarItems");

    QTest::newRow("same code, no calendar") << "5807"
                                            << "5807" << QVariantList();
    QTest::newRow("long code inside a barcode, open window") << "JJD 0004 7120-3958"
                                                             << "JJD000471203958816204" << calendarWindow(-60, 120);
}

void TestDeliveryFlow::testGrantedScan()
{
    QFETCH(QString, trackingCode);
    QFETCH(QString, scannedCode);
    QFETCH(QVariantList, calendarItems);

    const QUuid deliveryId = addDelivery(trackingCode, calendarItems);
    QVERIFY(!deliveryId.isNull());

    const qint64 scanStart = nowMs();
    QCOMPARE(HttpProbe::scan(scannedCode), 200);
    // Everything the scan causes at once has happened before the scan's reply.
    QCOMPARE(HttpProbe::actionHistory(parcelScannerPort), Actions{parcelScannerAcceptActionTypeId});
    QCOMPARE(HttpProbe::actionHistory(garageGatePort), Actions{garageGateOpenActionTypeId});
    QCOMPARE(HttpProbe::actionHistory(notificationDevicePort), Actions{notificationDeviceNotifyActionTypeId});
    QCOMPARE(m_client->gateState(m_system->gateId()), QStringLiteral("open"));
    QCOMPARE(m_client->delivery(deliveryId)["delivered"], QJsonValue(false));

    const qint64 closedSeen = waitWhileGateIs(QStringLiteral("open"), 5000);
    QCOMPARE(m_client->gateState(m_system->gateId()), QStringLiteral("closed"));
    QVERIFY2(closedSeen - scanStart >= 1000, "the gate closed before its open duration was over");
    QCOMPARE(HttpProbe::actionHistory(garageGatePort),
             (Actions{garageGateOpenActionTypeId, garageGateCloseActionTypeId}));

    // Marked as soon as the gate reports closed, with that moment rounded up.
    const QJsonObject delivered = m_client->delivery(deliveryId);
    QCOMPARE(delivered["delivered"], QJsonValue(true));
    const qint64 deliveredTimestamp = delivered["deliveredTimestamp"].toVariant().toLongLong();
    QVERIFY2(deliveredTimestamp >= secondsRoundedUp(scanStart + 1000), describe(delivered));
    QVERIFY2(deliveredTimestamp <= secondsRoundedUp(closedSeen), describe(delivered));

    // A delivered delivery is never granted again.
    QCOMPARE(HttpProbe::scan(scannedCode), 200);
    QCOMPARE(HttpProbe::actionHistory(parcelScannerPort),
             (Actions{parcelScannerAcceptActionTypeId, parcelScannerRejectActionTypeId}));
    QCOMPARE(HttpProbe::actionHistory(garageGatePort),
             (Actions{garageGateOpenActionTypeId, garageGateCloseActionTypeId}));
    QCOMPARE(m_client->delivery(deliveryId), delivered);

    // Nor after a restart, which keeps the record as it was.
    m_client.reset();
    QVERIFY(m_system->daemon().start());
    m_client = std::make_unique<DeliveryClient>();
    QVERIFY(m_client->open());
    QCOMPARE(m_client->delivery(deliveryId), delivered);
    QCOMPARE(HttpProbe::scan(scannedCode), 200);
    QCOMPARE(HttpProbe::actionHistory(parcelScannerPort), Actions{parcelScannerRejectActionTypeId});
    QCOMPARE(HttpProbe::actionHistory(garageGatePort), Actions());
    QCOMPARE(m_client->gateState(m_system->gateId()), QStringLiteral("closed"));
    QCOMPARE(m_client->delivery(deliveryId), delivered);
}

void TestDeliveryFlow::testRefusedScanChangesNothing_data()
{
    QTest::addColumn<QString>("trackingCode");
    QTest::addColumn<QString>("scannedCode");
    QTest::addColumn<QVariantList>("calendarItems");
    QTest::addColumn<bool>("removeFirst");

    QTest::newRow("wrong code") << "5807"
                                << "5808" << QVariantList() << false;
    QTest::newRow("short code inside a barcode") << "5807"
                                                 << "WAYBILL58071234" << QVariantList() << false;
    QTest::newRow("window not yet open") << "5807"
                                         << "5807" << calendarWindow(60, 120) << false;
    QTest::newRow("window over") << "5807"
                                 << "5807" << calendarWindow(-200, 100) << false;
    QTest::newRow("removed delivery") << "5807"
                                      << "5807" << QVariantList() << true;
    QTest::newRow("empty scan") << "5807"
                                << "" << QVariantList() << false;
}

void TestDeliveryFlow::testRefusedScanChangesNothing()
{
    QFETCH(QString, trackingCode);
    QFETCH(QString, scannedCode);
    QFETCH(QVariantList, calendarItems);
    QFETCH(bool, removeFirst);

    const QUuid deliveryId = addDelivery(trackingCode, calendarItems);
    QVERIFY(!deliveryId.isNull());
    if (removeFirst)
        QCOMPARE(DeliveryClient::paramsOf(m_client->removeDelivery(deliveryId)).value("deliveryError").toString(),
                 QStringLiteral("DeliveryErrorNoError"));
    const QJsonArray deliveriesBefore = m_client->deliveries();
    const QJsonArray thingsBefore = m_client->things();

    QCOMPARE(HttpProbe::scan(scannedCode), 200);
    QCOMPARE(HttpProbe::actionHistory(parcelScannerPort), Actions{parcelScannerRejectActionTypeId});

    // Nothing else happens, at once or a little later.
    for (int look = 0; look < 2; ++look) {
        QCOMPARE(HttpProbe::actionHistory(garageGatePort), Actions());
        QCOMPARE(HttpProbe::actionHistory(notificationDevicePort), Actions());
        QCOMPARE(m_client->deliveries(), deliveriesBefore);
        QCOMPARE(m_client->things(), thingsBefore);
        QThread::msleep(300);
    }
    QCOMPARE(HttpProbe::actionHistory(parcelScannerPort), Actions{parcelScannerRejectActionTypeId});
}

QTEST_GUILESS_MAIN(TestDeliveryFlow)
#include "tst_deliveryflow.moc"
