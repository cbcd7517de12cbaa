#include "run/possiblematches.h"

#include <QtTest>

class TestPossibleMatches : public QObject
{
    Q_OBJECT
private slots:
    void testAmong_data();
    void testAmong();
};

void TestPossibleMatches::testAmong_data()
{
    const QStringList functions = {"testAvailable", "testAddDelivery", "testRemoveDelivery", "testDelivery"};
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QString>("word");
    QTest::addColumn<QStringList>("matches");

    QTest::newRow("part of names, whatever the case")
        << functions << "delivery" << QStringList{"testDelivery", "testAddDelivery", "testRemoveDelivery"};
    QTest::newRow("the same name in another case first")
        << QStringList{"testAddDelivery", "testDeliveryPersistence", "testDelivery"} << "testdelivery"
        << QStringList{"testDelivery", "testAddDelivery", "testDeliveryPersistence"};
    QTest::newRow("a name with more after it") << functions << "testDeliveryX" << QStringList{"testDelivery"};
    QTest::newRow("swapped letters") << functions << "testAvialable" << QStringList{"testAvailable"};
    QTest::newRow("one slip in a short word")
        << QStringList{"DPD Prio", "wrong code"} << "DPD Pro" << QStringList{"DPD Prio"};
    QTest::newRow("nothing close") << functions << "noSuchFunction" << QStringList();
    QTest::newRow("an empty word matches nothing") << functions << "" << QStringList();
    QTest::newRow("each name once, empty names never")
        << QStringList{"", "gate, scanner", "gate, scanner"} << "gate" << QStringList{"gate, scanner"};
}

void TestPossibleMatches::testAmong()
{
    QFETCH(QStringList, names);
    QFETCH(QString, word);
    QFETCH(QStringList, matches);

    QCOMPARE(PossibleMatches::among(names, word), matches);
}

QTEST_GUILESS_MAIN(TestPossibleMatches)
#include "tst_possiblematches.moc"
