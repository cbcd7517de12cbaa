#include "deliveryexperience.h"
#include "deliveryflow.h"
#include "deliveryharness.h"

#include <QDateTime>
#include <QtTest>

#include <memory>

class TestGateCycle : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void testGrantedScan();
    void testRefusedScan_data();
    void testRefusedScan();
    void testOldestMatchingDeliveryFirst();
    void testGateConfirmsLater();
    void testGateNeverConfirms();
    void testDeliveryRemovedWhileOpen();
    void testGateRemovedWhileOpen();
    void testFailingActions();
    void testOtherEventsIgnored();
    void testReloadedDelivery_data();
    void testReloadedDelivery();

private:
    QString addDelivery(const QString &trackingCode, const QVariantMap &extra = QVariantMap());
    bool waitUntilDelivered(const QString &deliveryId, int timeout = 5000);
    QStringList actions(const QUuid &thingId) const;
    qint64 lastActionTime(const QUuid &thingId, const QString &actionName) const;

    std::unique_ptr<DeliveryHarness> m_harness;
    FakeThings *m_things = nullptr;
    QUuid m_gate;
    QUuid m_scanner;
    QUuid m_notifier;
    QUuid m_secondNotifier;
};

static QStringList names(std::initializer_list<const char *> list)
{
    QStringList result;
    for (const char *name : list)
        result.append(QString::fromLatin1(name));
    return result;
}

void TestGateCycle::init()
{
    m_harness = std::make_unique<DeliveryHarness>();
    QVERIFY(m_harness->start());
    m_things = m_harness->things();
    m_gate = m_things->addGate()->id();
    m_scanner = m_things->addScanner()->id();
    m_notifier = m_things->addNotificationDevice()->id();
    m_secondNotifier = m_things->addNotificationDevice()->id();
}

void TestGateCycle::cleanup() { m_harness.reset(); }

QString TestGateCycle::addDelivery(const QString &trackingCode, const QVariantMap &extra)
{
    QVariantMap delivery{
        {QStringLiteral("name"), QStringLiteral("Books")},
        {QStringLiteral("trackingCode"), trackingCode},
        {QStringLiteral("gateId"), m_gate},
        {QStringLiteral("scannerId"), m_scanner},
        {QStringLiteral("notificationIds"), QVariantList{m_notifier, m_secondNotifier}},
        {QStringLiteral("openDuration"), 1},
    };
    for (auto it = extra.cbegin(); it != extra.cend(); ++it)
        delivery.insert(it.key(), it.value());
    return m_harness->addDelivery(delivery);
}

bool TestGateCycle::waitUntilDelivered(const QString &deliveryId, int timeout)
{
    return QTest::qWaitFor(
        [&] { return m_harness->deliveryRecord(deliveryId).value(QStringLiteral("delivered")).toBool(); }, timeout);
}

QStringList TestGateCycle::actions(const QUuid &thingId) const { return m_things->actionNames(thingId); }

qint64 TestGateCycle::lastActionTime(const QUuid &thingId, const QString &actionName) const
{
    qint64 time = -1;
    for (const FakeDevicesPlugin::ExecutedAction &action : m_things->devices()->executedActions()) {
        if (action.thingId == thingId && action.actionName == actionName)
            time = action.msecsSinceEpoch;
    }
    return time;
}

void TestGateCycle::testGrantedScan()
{
    const QString deliveryId = addDelivery(QStringLiteral("73 0291-8465"));
    QVERIFY(!deliveryId.isEmpty());
    const qint64 scanTime = QDateTime::currentMSecsSinceEpoch();
    m_things->scan(m_scanner, QStringLiteral("7302918465"));

    // Everything but the close happens before the event handler returns.
    const QList<FakeDevicesPlugin::ExecutedAction> executed = m_things->devices()->executedActions();
    QCOMPARE(executed.size(), 4);
    QCOMPARE(executed.at(0).thingId, m_scanner);
    QCOMPARE(executed.at(0).actionName, QStringLiteral("accept"));
    QCOMPARE(executed.at(1).thingId, m_gate);
    QCOMPARE(executed.at(1).actionName, QStringLiteral("open"));
    QCOMPARE(executed.at(2).thingId, m_notifier);
    QCOMPARE(executed.at(3).thingId, m_secondNotifier);
    for (int i = 2; i < 4; ++i) {
        QCOMPARE(executed.at(i).actionName, QStringLiteral("notify"));
        QCOMPARE(executed.at(i).params.value(QStringLiteral("title")).toString(), QStringLiteral("Delivery arrived"));
        QVERIFY(executed.at(i).params.value(QStringLiteral("body")).toString().contains(QLatin1String("Books")));
    }
    QCOMPARE(m_things->gateState(m_gate), QStringLiteral("open"));
    QVERIFY(!m_harness->deliveryRecord(deliveryId).value(QStringLiteral("delivered")).toBool());

    QVERIFY(waitUntilDelivered(deliveryId));
    QCOMPARE(actions(m_gate), names({"open", "close"}));
    QCOMPARE(m_things->gateState(m_gate), QStringLiteral("closed"));
    const qint64 closeTime = lastActionTime(m_gate, QStringLiteral("close"));
    QVERIFY2(closeTime - scanTime >= 1000 && closeTime - scanTime < 1500,
             qPrintable(QStringLiteral("closed after %1 ms").arg(closeTime - scanTime)));

    const QVariantMap record = m_harness->deliveryRecord(deliveryId);
    const qint64 deliveredTimestamp = record.value(QStringLiteral("deliveredTimestamp")).toLongLong();
    QVERIFY(deliveredTimestamp * 1000 >= closeTime);
    QVERIFY(deliveredTimestamp * 1000 < closeTime + 2000);

    QVERIFY(m_harness->restart());
    QCOMPARE(m_harness->deliveryRecord(deliveryId), record);

    // A delivered delivery is never granted again.
    m_things->scan(m_scanner, QStringLiteral("7302918465"));
    QCOMPARE(actions(m_scanner), names({"accept", "reject"}));
    QCOMPARE(actions(m_gate), names({"open", "close"}));
}

void TestGateCycle::testRefusedScan_data()
{
    QTest::addColumn<QString>("trackingCode");
    QTest::addColumn<QString>("scannedCode");
    QTest::addColumn<QVariantList>("calendarItems");
    QTest::addColumn<bool>("otherScanner");

    const qint64 now = QDateTime::currentSecsSinceEpoch();
    const QVariantList open{QVariantMap{{QStringLiteral("datetime"), now - 60}, {QStringLiteral("duration"), 120}}};
    const QVariantList future{QVariantMap{{QStringLiteral("datetime"), now + 60}, {QStringLiteral("duration"), 120}}};
    const QVariantList past{QVariantMap{{QStringLiteral("datetime"), now - 180}, {QStringLiteral("duration"), 120}}};

    QTest::newRow("wrong code") << "5807"
                                << "5808" << open << false;
    QTest::newRow("short code inside a barcode") << "5807"
                                                 << "0061527058070004" << QVariantList() << false;
    QTest::newRow("dash instead of letter") << "1-84106K3971240516"
                                            << "1Z84106K3971240516" << open << false;
    QTest::newRow("window not begun") << "5807"
                                      << "5807" << future << false;
    QTest::newRow("window over") << "5807"
                                 << "5807" << past << false;
    QTest::newRow("another scanner's delivery") << "5807"
                                                << "5807" << QVariantList() << true;
}

void TestGateCycle::testRefusedScan()
{
    QFETCH(QString, trackingCode);
    QFETCH(QString, scannedCode);
    QFETCH(QVariantList, calendarItems);
    QFETCH(bool, otherScanner);

    QVariantMap extra{{QStringLiteral("calendarItems"), calendarItems}};
    if (otherScanner)
        extra.insert(QStringLiteral("scannerId"), m_things->addScanner()->id());
    QVERIFY(!addDelivery(trackingCode, extra).isEmpty());
    const QVariantList before = m_harness->listing();

    m_things->scan(m_scanner, scannedCode);
    QCOMPARE(m_things->devices()->executedActions().size(), 1);
    QCOMPARE(actions(m_scanner), names({"reject"}));
    QCOMPARE(m_things->gateState(m_gate), QStringLiteral("closed"));
    QTest::qWait(50);
    QCOMPARE(m_harness->listing(), before);
}

void TestGateCycle::testOldestMatchingDeliveryFirst()
{
    const QString older = addDelivery(QStringLiteral("40862157"));
    const QString newer = addDelivery(QStringLiteral("Waybill 40862157"));

    m_things->scan(m_scanner, QStringLiteral("WAYBILL40862157"));
    QVERIFY(m_harness->experience()->flow()->isCycleRunning(QUuid(older)));
    // The older delivery is busy with its gate cycle: the next scan takes the newer one.
    m_things->scan(m_scanner, QStringLiteral("WAYBILL40862157"));
    QVERIFY(m_harness->experience()->flow()->isCycleRunning(QUuid(newer)));
    m_things->scan(m_scanner, QStringLiteral("WAYBILL40862157"));
    QCOMPARE(actions(m_scanner), names({"accept", "accept", "reject"}));

    QVERIFY(waitUntilDelivered(older));
    QVERIFY(waitUntilDelivered(newer));
}

void TestGateCycle::testGateConfirmsLater()
{
    m_things->devices()->setGateBehaviour(FakeDevicesPlugin::GateBehaviour::FollowsLater);
    const QString deliveryId = addDelivery(QStringLiteral("5807"));
    m_things->scan(m_scanner, QStringLiteral("5807"));
    QVERIFY(QTest::qWaitFor([&] { return actions(m_gate).contains(QStringLiteral("close")); }, 3000));

    // The close ran, but the gate still reports open.
    QVERIFY(!m_harness->deliveryRecord(deliveryId).value(QStringLiteral("delivered")).toBool());
    QVERIFY(waitUntilDelivered(deliveryId));
    const qint64 closedAt = QDateTime::currentMSecsSinceEpoch();
    QCOMPARE(m_things->gateState(m_gate), QStringLiteral("closed"));
    const qint64 deliveredTimestamp =
        m_harness->deliveryRecord(deliveryId).value(QStringLiteral("deliveredTimestamp")).toLongLong();
    QVERIFY(deliveredTimestamp * 1000 >= lastActionTime(m_gate, QStringLiteral("close")) + 200);
    QVERIFY(deliveredTimestamp * 1000 < closedAt + 1000);
}

void TestGateCycle::testGateNeverConfirms()
{
    m_things->devices()->setGateBehaviour(FakeDevicesPlugin::GateBehaviour::Stuck);
    m_harness->experience()->flow()->setCloseConfirmationTimeout(300);
    const QString deliveryId = addDelivery(QStringLiteral("5807"));
    m_things->scan(m_scanner, QStringLiteral("5807"));

    QVERIFY(waitUntilDelivered(deliveryId));
    QCOMPARE(actions(m_gate), names({"open", "close"}));
    m_things->scan(m_scanner, QStringLiteral("5807"));
    QCOMPARE(actions(m_scanner), names({"accept", "reject"}));
}

void TestGateCycle::testDeliveryRemovedWhileOpen()
{
    const QString deliveryId = addDelivery(QStringLiteral("5807"));
    m_things->scan(m_scanner, QStringLiteral("5807"));
    const DeliveryHarness::Reply reply = m_harness->call(QStringLiteral("RemoveDelivery"),
                                                         {{QStringLiteral("deliveryId"), deliveryId}});
    QCOMPARE(reply.params.value(QStringLiteral("deliveryError")).toString(), QStringLiteral("DeliveryErrorNoError"));

    // The gate still closes, and the removed delivery stays removed.
    QVERIFY(QTest::qWaitFor([&] { return m_things->gateState(m_gate) == QLatin1String("closed"); }, 3000));
    QTest::qWait(50);
    QVERIFY(!m_harness->experience()->flow()->isCycleRunning(QUuid(deliveryId)));
    QVERIFY(m_harness->listing().isEmpty());
    QVERIFY(m_harness->restart());
    QVERIFY(m_harness->listing().isEmpty());
}

void TestGateCycle::testGateRemovedWhileOpen()
{
    const QString deliveryId = addDelivery(QStringLiteral("5807"));
    m_things->scan(m_scanner, QStringLiteral("5807"));
    m_things->removeThing(m_gate);

    // Granted is granted: it must not open anything a second time.
    QVERIFY(waitUntilDelivered(deliveryId, 500));
    m_things->scan(m_scanner, QStringLiteral("5807"));
    QCOMPARE(actions(m_scanner), names({"accept", "reject"}));
}

void TestGateCycle::testFailingActions()
{
    const QString deliveryId = addDelivery(QStringLiteral("5807"));
    m_things->devices()->setFailingAction(QStringLiteral("notify"));
    m_things->scan(m_scanner, QStringLiteral("5807"));
    QCOMPARE(actions(m_notifier), names({"notify"}));
    QCOMPARE(actions(m_secondNotifier), names({"notify"}));
    QVERIFY(waitUntilDelivered(deliveryId));

    // A refused close leaves the gate open; the cycle still ends.
    m_things->devices()->setFailingAction(QStringLiteral("close"));
    m_harness->experience()->flow()->setCloseConfirmationTimeout(300);
    const QString second = addDelivery(QStringLiteral("5808"));
    m_things->scan(m_scanner, QStringLiteral("5808"));
    QVERIFY(waitUntilDelivered(second));
}

void TestGateCycle::testOtherEventsIgnored()
{
    addDelivery(QStringLiteral("5807"));
    Thing *scanner = m_things->findThing(m_scanner);
    QVERIFY(scanner->emitEvent(QStringLiteral("lidOpened"), {{QStringLiteral("content"), QStringLiteral("5807")}}));

    // A thing that is no scanner, even with an event of that name, scans nothing.
    Thing *lamp = m_things->addThing(FakeDevicesPlugin::lampClass(), QStringLiteral("Lamp"));
    QVERIFY(lamp->emitEvent(QStringLiteral("codeScanned"), {{QStringLiteral("content"), QStringLiteral("5807")}}));
    QVERIFY(m_things->devices()->executedActions().isEmpty());
}

void TestGateCycle::testReloadedDelivery_data()
{
    QTest::addColumn<QVariantList>("calendarItems");
    QTest::addColumn<QString>("scannedCode");
    QTest::addColumn<bool>("granted");

    const qint64 now = QDateTime::currentSecsSinceEpoch();
    const QVariantMap past{{QStringLiteral("datetime"), now - 180}, {QStringLiteral("duration"), 120}};
    const QVariantMap open{{QStringLiteral("datetime"), now - 60}, {QStringLiteral("duration"), 120}};

    QTest::newRow("granted in its second window") << QVariantList{past, open} << "JJD0000 4086 2157" << true;
    QTest::newRow("window over") << QVariantList{past} << "JJD000040862157" << false;
    QTest::newRow("wrong code") << QVariantList{open} << "JJD000040862158" << false;
}

// Deliveries read back at start-up must behave exactly like the ones added
// since: code, calendar, gate, notifiers and open duration all come from the
// stored record.
void TestGateCycle::testReloadedDelivery()
{
    QFETCH(QVariantList, calendarItems);
    QFETCH(QString, scannedCode);
    QFETCH(bool, granted);

    const QString deliveryId = addDelivery(QStringLiteral("jjd-0000-40862157"),
                                           {{QStringLiteral("calendarItems"), calendarItems}});
    QVERIFY(!deliveryId.isEmpty());
    QVERIFY(m_harness->restart());

    const qint64 scanTime = QDateTime::currentMSecsSinceEpoch();
    m_things->scan(m_scanner, scannedCode);
    if (!granted) {
        QCOMPARE(actions(m_scanner), names({"reject"}));
        QVERIFY(actions(m_gate).isEmpty());
        return;
    }
    QCOMPARE(actions(m_scanner), names({"accept"}));
    QCOMPARE(actions(m_notifier), names({"notify"}));
    QCOMPARE(actions(m_secondNotifier), names({"notify"}));
    QVERIFY(waitUntilDelivered(deliveryId));
    QCOMPARE(actions(m_gate), names({"open", "close"}));
    const qint64 openFor = lastActionTime(m_gate, QStringLiteral("close")) - scanTime;
    QVERIFY2(openFor >= 1000 && openFor < 1500, qPrintable(QStringLiteral("closed after %1 ms").arg(openFor)));
}

QTEST_GUILESS_MAIN(TestGateCycle)
#include "tst_gatecycle.moc"
