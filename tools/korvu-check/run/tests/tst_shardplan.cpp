#include "run/shardplan.h"

#include <QtTest>

namespace {

// What the delivery suite's -datatags prints, shortened.
const QByteArray listing = "TestDeliveries testAvailable No gate, no scanner\n"
                           "TestDeliveries testAvailable gate, scanner\n"
                           "TestDeliveries testRemoveDelivery\n"
                           "TestDeliveries testDeliveryPersistence\n"
                           "TestDeliveries testDelivery wrong code\n"
                           "TestDeliveries testDelivery granted (code with spaces)\n"
                           "TestDeliveries testDelivery DPD Prio\n";

const QHash<QString, double> times = {{"testDelivery", 2.0}, {"testDeliveryPersistence", 2.5}};

// The shards' selections, one string per shard.
QStringList shardSelections(const ShardPlan &plan)
{
    QStringList shards;
    const QVector<ShardPlan::Shard> all = plan.processes(false);
    for (const ShardPlan::Shard &shard : all)
        shards.append(shard.selections.join(QStringLiteral(" | ")));
    return shards;
}

} // namespace

class TestShardPlan : public QObject
{
    Q_OBJECT
private slots:
    void testShards_data();
    void testShards();
    void testQuickTestsShareShardsOfLimitedLength();
    void testRowTimesOutweighFunctionTimes();
    void testBadInput_data();
    void testBadInput();
    void testSlicesCoverEveryTestOnce_data();
    void testSlicesCoverEveryTestOnce();
    void testSplitSuiteArguments();
    void testSliceWithoutShardsRunsNothing();
};

void TestShardPlan::testShards_data()
{
    QTest::addColumn<QStringList>("selections");
    QTest::addColumn<QStringList>("shards");

    QTest::newRow("everything: slow rows alone, quick functions together")
        << QStringList()
        << QStringList{"testAvailable | testRemoveDelivery", "testDeliveryPersistence", "testDelivery:wrong code",
                       "testDelivery:granted (code with spaces)", "testDelivery:DPD Prio"};
    QTest::newRow("one function") << QStringList{"testDelivery"}
                                  << QStringList{"testDelivery:wrong code", "testDelivery:granted (code with spaces)",
                                                 "testDelivery:DPD Prio"};
    QTest::newRow("some rows of a quick function stay rows")
        << QStringList{"testAvailable:gate, scanner", "testRemoveDelivery"}
        << QStringList{"testAvailable:gate, scanner | testRemoveDelivery"};
    QTest::newRow("suite order, whatever the command line's")
        << QStringList{"testDelivery:DPD Prio", "testAvailable", "testDelivery:DPD Prio"}
        << QStringList{"testAvailable", "testDelivery:DPD Prio"};
}

void TestShardPlan::testShards()
{
    QFETCH(QStringList, selections);
    QFETCH(QStringList, shards);

    ShardPlan plan;
    QString error;
    QVERIFY2(ShardPlan::make(listing, selections, times, &plan, &error), qPrintable(error));
    QCOMPARE(shardSelections(plan), shards);
}

void TestShardPlan::testQuickTestsShareShardsOfLimitedLength()
{
    QByteArray many;
    for (int i = 0; i < 50; ++i)
        many += "T testGetDeliveries " + QByteArray::number(i) + '\n';
    ShardPlan plan;
    QString error;
    QVERIFY2(ShardPlan::make(many, {}, times, &plan, &error), qPrintable(error));
    const QVector<ShardPlan::Shard> shards = plan.processes(false);
    QCOMPARE(shards.size(), 2);
    QCOMPARE(shards.at(0).tests.size() + shards.at(1).tests.size(), 50);
    QVERIFY(shards.at(0).expectedSeconds <= 2.0);
    QCOMPARE(shards.at(0).selections.constFirst(), QStringLiteral("testGetDeliveries:0"));
}

// As measured in an earlier run: a refused delivery answers at once, a row
// otherwise quick took long. The rows the earlier run did not hold keep
// their built-in times, and so their shards.
void TestShardPlan::testRowTimesOutweighFunctionTimes()
{
    const QHash<QString, double> measured = {{"testDelivery(wrong code)", 0.1}, {"testAvailable(gate, scanner)", 3.0}};
    ShardPlan plan;
    QString error;
    QVERIFY2(ShardPlan::make(listing, {}, ShardPlan::combinedExpectations(times, measured), &plan, &error),
             qPrintable(error));
    QCOMPARE(shardSelections(plan),
             (QStringList{"testAvailable:No gate, no scanner | testRemoveDelivery | testDelivery:wrong code",
                          "testAvailable:gate, scanner", "testDeliveryPersistence",
                          "testDelivery:granted (code with spaces)", "testDelivery:DPD Prio"}));
    // Those alone wait; the shared one is quick, however long its sum.
    QVector<bool> runAlone;
    for (const ShardPlan::Shard &shard : plan.processes(false))
        runAlone.append(shard.runsAlone);
    QCOMPARE(runAlone, (QVector<bool>{false, true, true, true, true}));
}

void TestShardPlan::testBadInput_data()
{
    QTest::addColumn<QByteArray>("listing");
    QTest::addColumn<QStringList>("selections");
    QTest::addColumn<QString>("error");

    QTest::newRow("no listing") << QByteArray("\n") << QStringList()
                                << "the suite's -datatags listing names no test function";
    QTest::newRow("not a listing") << QByteArray("usage\n") << QStringList()
                                   << "cannot read the suite's -datatags line 'usage'";
}

void TestShardPlan::testBadInput()
{
    QFETCH(QByteArray, listing);
    QFETCH(QStringList, selections);
    QFETCH(QString, error);

    ShardPlan plan;
    QString actual;
    QVERIFY(!ShardPlan::make(listing, selections, times, &plan, &actual));
    QCOMPARE(actual, error);
}

void TestShardPlan::testSlicesCoverEveryTestOnce_data()
{
    QTest::addColumn<int>("count");
    for (int count = 1; count <= 7; ++count)
        QTest::addRow("%d slices", count) << count;
}

void TestShardPlan::testSlicesCoverEveryTestOnce()
{
    QFETCH(int, count);

    QByteArray suite = listing;
    for (int i = 0; i < 14; ++i)
        suite += "TestDeliveries testDelivery row " + QByteArray::number(i) + '\n';
    ShardPlan plan;
    QString error;
    QVERIFY2(ShardPlan::make(suite, {}, times, &plan, &error), qPrintable(error));

    QStringList covered;
    double lightest = 1e9;
    double heaviest = 0;
    double longestShard = 0;
    for (const ShardPlan::Shard &shard : plan.processes(false))
        longestShard = qMax(longestShard, shard.expectedSeconds);
    for (int index = 1; index <= count; ++index) {
        const ShardPlan slice = plan.slice(index, count);
        QCOMPARE(shardSelections(slice), shardSelections(plan.slice(index, count)));
        covered += slice.testNames();
        double load = 0;
        for (const ShardPlan::Shard &shard : slice.processes(false))
            load += shard.expectedSeconds;
        lightest = qMin(lightest, load);
        heaviest = qMax(heaviest, load);
    }
    covered.sort();
    QStringList all = plan.testNames();
    all.sort();
    QCOMPARE(covered, all);
    QVERIFY2(heaviest - lightest <= longestShard,
             qPrintable(QStringLiteral("%1 s against %2 s").arg(heaviest).arg(lightest)));
}

void TestShardPlan::testSplitSuiteArguments()
{
    QStringList selections;
    QStringList options;
    ShardPlan::splitSuiteArguments(
        {"-v2", "testDelivery:DPD Prio", "-maxwarnings", "0", "testAvailable", "-o", "log.txt,txt", "-nocrashhandler"},
        &selections, &options);
    QCOMPARE(selections, (QStringList{"testDelivery:DPD Prio", "testAvailable"}));
    QCOMPARE(options, (QStringList{"-v2", "-maxwarnings", "0", "-o", "log.txt,txt", "-nocrashhandler"}));
}

void TestShardPlan::testSliceWithoutShardsRunsNothing()
{
    ShardPlan plan;
    QString error;
    QVERIFY2(ShardPlan::make(listing, {"testAvailable"}, times, &plan, &error), qPrintable(error));
    for (bool asOneProcess : {false, true}) {
        QCOMPARE(plan.slice(2, 2).processes(asOneProcess).size(), 0);
        const QVector<ShardPlan::Shard> first = plan.slice(1, 2).processes(asOneProcess);
        QCOMPARE(first.size(), 1);
        QCOMPARE(first.constFirst().selections, QStringList{"testAvailable"});
    }
}

QTEST_GUILESS_MAIN(TestShardPlan)
#include "tst_shardplan.moc"
