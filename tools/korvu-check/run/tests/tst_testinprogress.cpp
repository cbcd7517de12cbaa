#include "run/testinprogress.h"

#include <QtTest>

class TestTestInProgress : public QObject
{
    Q_OBJECT
private slots:
    void testName_data();
    void testName();
    void testFailedVerdict();
};

void TestTestInProgress::testName_data()
{
    QTest::addColumn<QStringList>("planned");
    QTest::addColumn<QString>("lastTestName");
    QTest::addColumn<bool>("lastEnded");
    QTest::addColumn<QString>("name");

    const QStringList planned = {"initTestCase",           "testAvailable",           "testDelivery(DHL)",
                                 "testDelivery(DPD Prio)", "testDeliveryPersistence", "cleanupTestCase"};
    QTest::newRow("nothing logged yet") << planned << "" << false << "initTestCase";
    QTest::newRow("a row that logged") << planned << "testDelivery(DPD Prio)" << false << "testDelivery(DPD Prio)";
    QTest::newRow("a row that logged nothing yet")
        << planned << "testDelivery(DHL)" << true << "testDelivery(DPD Prio)";
    QTest::newRow("the next function") << planned << "testDelivery(DPD Prio)" << true << "testDeliveryPersistence";
    QTest::newRow("a function before its first row logged")
        << planned << "testDelivery" << false << "testDelivery(DHL)";
    QTest::newRow("after the last") << planned << "cleanupTestCase" << true << "";
    QTest::newRow("nothing planned, a row that logged") << QStringList() << "testA(x)" << false << "testA(x)";
    QTest::newRow("nothing planned, between rows") << QStringList() << "testA(x)" << true << "";
}

void TestTestInProgress::testName()
{
    QFETCH(QStringList, planned);
    QFETCH(QString, lastTestName);
    QFETCH(bool, lastEnded);
    QFETCH(QString, name);

    QCOMPARE(TestInProgress::name(planned, lastTestName, lastEnded), name);
}

void TestTestInProgress::testFailedVerdict()
{
    const TestVerdict verdict = TestInProgress::failed("testDelivery(DPD (Prio))", "timed out after 10 s", 10.2);
    QCOMPARE(verdict.testName(), QStringLiteral("testDelivery(DPD (Prio))"));
    QCOMPARE(verdict.row, QStringLiteral("DPD (Prio)"));
    QVERIFY(verdict.isFailure());
    QCOMPARE(verdict.messageLines, QStringList{"timed out after 10 s"});
}

QTEST_GUILESS_MAIN(TestTestInProgress)
#include "tst_testinprogress.moc"
