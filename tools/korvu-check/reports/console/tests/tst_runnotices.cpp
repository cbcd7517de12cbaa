#include "reports/console/runnotices.h"

#include <QtTest>

// What korvu-check says of its own run on the console.
class TestRunNotices : public QObject
{
    Q_OBJECT
private slots:
    void testStartLines_data();
    void testStartLines();
    void testSummaryNotes();
};

void TestRunNotices::testStartLines_data()
{
    QTest::addColumn<int>("shards");
    QTest::addColumn<int>("parallel");
    QTest::addColumn<int>("requestedParallel");
    QTest::addColumn<int>("slice");
    QTest::addColumn<int>("repeat");
    QTest::addColumn<QStringList>("lines");

    const QString namespaces = QStringLiteral("a private network namespace (unshare)");
    QTest::newRow("one process") << 0 << 1 << 1 << 0 << 1
                                 << QStringList{"korvu-check: /s against /d, in " + namespaces};
    QTest::newRow("shards side by side")
        << 4 << 2 << 2 << 0 << 1
        << QStringList{"korvu-check: /s against /d: 4 shards, up to 2 at a time, each in " + namespaces};
    QTest::newRow("more at a time than shards")
        << 4 << 8 << 8 << 0 << 1
        << QStringList{"korvu-check: /s against /d: 4 shards, up to 4 at a time, each in " + namespaces};
    QTest::newRow("a slice, repeated") << 1 << 1 << 1 << 2 << 3
                                       << QStringList{"korvu-check: /s against /d, in " + namespaces
                                                      + ", slice 2/3, 3 times"};
    QTest::newRow("shards without namespaces")
        << 4 << 1 << 4 << 0 << 1
        << QStringList{"korvu-check: /s against /d: 4 shards, up to 1 at a time, each in " + namespaces,
                       "korvu-check: no private network namespaces here, so the shards run one at a time"};
}

void TestRunNotices::testStartLines()
{
    QFETCH(int, shards);
    QFETCH(int, parallel);
    QFETCH(int, requestedParallel);
    QFETCH(int, slice);
    QFETCH(int, repeat);
    QFETCH(QStringList, lines);

    RunResults results;
    RunResults::Environment environment;
    environment.suite = QStringLiteral("/s");
    environment.daemon = QStringLiteral("/d");
    environment.isolation = QStringLiteral("a private network namespace (unshare)");
    environment.sliceIndex = slice;
    environment.sliceCount = slice > 0 ? 3 : 0;
    environment.repeat = repeat;
    results.setEnvironment(environment);
    results.setShardCount(shards);
    QCOMPARE(RunNotices::startLines(results, parallel, requestedParallel), lines);
}

void TestRunNotices::testSummaryNotes()
{
    Reporter::KeptFiles kept;
    kept.reports = QStringList{QStringLiteral("JUnit report: r.xml")};
    kept.tracesDir = QStringLiteral("/traces");
    kept.runTree = QStringLiteral("/tmp/korvu-check-1");
    QCOMPARE(RunNotices::summaryNotes(kept),
             (QStringList{"JUnit report: r.xml", "Traces kept in: /traces", "Run tree kept: /tmp/korvu-check-1"}));
}

QTEST_APPLESS_MAIN(TestRunNotices)
#include "tst_runnotices.moc"
