#include "reports/ctrfreport.h"
#include "run/jobplanner.h"
#include "tests/verdicts.h"

#include <QtTest>

// How a run's suite processes are planned: the times the shards are cut by,
// and where the retry of a failure belongs.
class TestJobPlanner : public QObject
{
    Q_OBJECT
private slots:
    void testEarlierRunTimesJoinTheBuiltInOnes();
    void testRetryOf_data();
    void testRetryOf();
};

void TestJobPlanner::testEarlierRunTimesJoinTheBuiltInOnes()
{
    QHash<QString, double> builtIn;
    QString error;
    QVERIFY(JobPlanner::expectedSeconds(QString(), &builtIn, &error));
    QVERIFY(!builtIn.isEmpty());
    QVERIFY(!builtIn.contains(QStringLiteral("testOnlyMeasured")));

    RunResults earlier;
    TestVerdict measured = verdict(TestVerdict::Outcome::Pass, QStringLiteral("testOnlyMeasured"));
    measured.seconds = 4;
    earlier.addVerdict(measured, RunResults::Origin());
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString document = dir.filePath(QStringLiteral("earlier.json"));
    QVERIFY2(CtrfReport().writeFile(earlier, document, &error), qPrintable(error));

    QHash<QString, double> expected;
    QVERIFY2(JobPlanner::expectedSeconds(document, &expected, &error), qPrintable(error));
    QCOMPARE(expected.value(QStringLiteral("testOnlyMeasured")), 4.0);
    // Functions the earlier run did not hold, as in other slices, are not quick.
    for (auto it = builtIn.cbegin(); it != builtIn.cend(); ++it)
        QCOMPARE(expected.value(it.key()), it.value());
}

void TestJobPlanner::testRetryOf_data()
{
    QTest::addColumn<int>("repeat");
    QTest::addColumn<int>("failedRepetition");
    QTest::addColumn<int>("failedAttempt");
    QTest::addColumn<QString>("name");

    QTest::newRow("first retry") << 1 << 1 << 1 << "retry-01-try-2";
    QTest::newRow("a retry of a retry") << 1 << 1 << 2 << "retry-01-try-3";
    // A retry is filed under the repetition whose try failed, not the last one.
    QTest::newRow("failed in the first of three repetitions") << 3 << 1 << 1 << "retry-01-try-2-run-1";
    QTest::newRow("failed in the second of three repetitions") << 3 << 2 << 1 << "retry-01-try-2-run-2";
}

void TestJobPlanner::testRetryOf()
{
    QFETCH(int, repeat);
    QFETCH(int, failedRepetition);
    QFETCH(int, failedAttempt);
    QFETCH(QString, name);

    CheckOptions options;
    options.repeat = repeat;
    options.retries = 2;
    RunResults results;
    RunResults::Environment environment;
    environment.repeat = repeat;
    environment.retries = options.retries;
    results.setEnvironment(environment);
    results.setShardCount(4);
    JobPlanner planner(options, QStringLiteral("/nonexistent"));
    SuiteJob failed;
    failed.origin = {3, 2, failedRepetition, QStringLiteral("shard 2 (testA)"), failedAttempt};

    const TestVerdict failure = verdict(TestVerdict::Outcome::Fail, QStringLiteral("testA"), QStringLiteral("r"));
    const SuiteJob retry = planner.retryOf(failed, failure, 9, results);
    QCOMPARE(retry.origin.job, 9);
    QCOMPARE(retry.origin.shard, 5);
    QCOMPARE(retry.origin.repetition, failedRepetition);
    QCOMPARE(retry.origin.attempt, failedAttempt + 1);
    QCOMPARE(retry.origin.shardName, QStringLiteral("try %1 of 3 (testA:r)").arg(failedAttempt + 1));
    QCOMPARE(retry.name, name);
    QCOMPARE(retry.arguments, QStringList{QStringLiteral("testA:r")});
}

QTEST_GUILESS_MAIN(TestJobPlanner)
#include "tst_jobplanner.moc"
