#include "merge/slicemerge.h"
#include "reports/ctrfreport.h"
#include "tests/verdicts.h"

#include <QtTest>

namespace {

using O = TestVerdict::Outcome;

const QDateTime t0 = QDateTime::fromSecsSinceEpoch(1796738000, Qt::UTC);

// Slice index/count of run "r1", begun begunSecs after t0 and checked for
// seconds, its suite started a second later.
RunResults slice(int index, int count, int begunSecs = 0, double seconds = 1,
                 const QString &runId = QStringLiteral("r1"), const QString &suite = QStringLiteral("T"),
                 const QString &daemon = QStringLiteral("D"))
{
    RunResults results;
    RunResults::Environment environment;
    environment.runId = runId;
    environment.toolVersion = QStringLiteral("0.2");
    environment.sliceIndex = index;
    environment.sliceCount = count;
    environment.suiteSha256 = suite;
    environment.daemonSha256 = daemon;
    environment.hostName = QStringLiteral("host-%1").arg((index + 1) / 2);
    results.setEnvironment(environment);
    results.setOrder({"initTestCase", "testA", "testB(x)", "testB(y)", "testC", "cleanupTestCase"});
    results.setStartTime(t0.addSecs(begunSecs + 1));
    results.setStopTime(t0.addSecs(begunSecs + qRound(seconds)));
    results.setSeconds(seconds);
    return results;
}

// Gives the merge a slice as it reads one: its CTRF document, written under
// fileName in the current folder.
void addSlice(SliceMerge &merge, const RunResults &results, const QString &fileName)
{
    CtrfReport report;
    QString written;
    QVERIFY2(report.writeFile(results, fileName, &written), qPrintable(written));
    SliceMerge::Error error;
    QVERIFY2(merge.addFile(fileName, &error), qPrintable(error.message()));
}

} // namespace

class TestSliceMerge : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void testSlicesAsOneRun();
    void testBrokenOffSlice_data();
    void testBrokenOffSlice();
    void testRefused_data();
    void testRefused();

private:
    QTemporaryDir m_dir;
};

void TestSliceMerge::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY(QDir::setCurrent(m_dir.path()));
}

void TestSliceMerge::testSlicesAsOneRun()
{
    // One process, two shards with the hook failing in one, and a crash.
    RunResults first = slice(1, 3, 0, 10);
    const RunResults::Origin single = {0, 1, 1, QString()};
    first.addVerdict(verdict(O::Pass, "initTestCase", QString()), single);
    first.addVerdict(verdict(O::Fail, "testB", "y", {"no"}), single);
    first.addVerdict(verdict(O::Pass, "cleanupTestCase", QString()), single);
    // Stopped before two rows: one another slice ran, one that none did.
    first.addNotRun({"testC", "testD"}, "not run: stopped after 1 failure");
    RunResults second = slice(2, 3, -1, 12);
    const RunResults::Origin shardA = {0, 1, 1, QStringLiteral("shard 1 (testA)")};
    const RunResults::Origin shardC = {1, 2, 1, QStringLiteral("shard 2 (testC)")};
    second.addVerdict(verdict(O::Pass, "initTestCase", QString()), shardA);
    second.addVerdict(verdict(O::Pass, "testA"), shardA);
    second.addVerdict(verdict(O::Fail, "initTestCase", QString(), {"no Hello"}), shardC);
    second.addVerdict(verdict(O::Pass, "testC"), shardC);
    second.addFinding({DaemonFinding::Kind::AddressSanitizer, "testC", QString(), {"==1==ERROR"}}, shardC);
    RunResults third = slice(3, 3, 2, 18);
    third.addVerdict(verdict(O::Skip, "testB", "x", {"no gate"}), single);
    third.addBreak({"crash", "the suite crashed", "cleanupTestCase", 0.1, {}, single});

    SliceMerge merge;
    SliceMerge::Error error;
    // A file that is no CTRF document is refused and adds nothing.
    QVERIFY(!merge.addFile(QCoreApplication::applicationFilePath(), &error));
    QCOMPARE(error.problem, SliceMerge::Problem::NotCtrf);
    addSlice(merge, third, "3.json");
    addSlice(merge, first, "1.json");
    addSlice(merge, second, "2.json");
    RunResults merged;
    QVERIFY2(merge.merge(&merged, &error), qPrintable(error.message()));

    QStringList runs;
    for (const RunResults::TestCase &row : merged.rowsWithHooksMerged()) {
        for (const RunResults::Run &run : row.runs)
            runs.append(merged.reportedName(row.testName) + ' ' + run.verdict.label() + ' ' + run.notes.join(';'));
    }
    QCOMPARE(runs, (QStringList{"initTestCase FAIL failed in slice 2/3, shard 2 (testC)", "testA PASS ",
                                "testB(x) SKIP ", "testB(y) FAIL ", "testC PASS ", "cleanupTestCase PASS "}));
    const RunResults::Counts counts = merged.counts();
    QCOMPARE(QVector<int>({counts.passed, counts.failed, counts.skipped}), QVector<int>({3, 3, 1}));
    QCOMPARE(merged.notRun().size(), 1);
    QCOMPARE(merged.notRun().constFirst().testName, QStringLiteral("testD"));
    QCOMPARE(merged.notRun().constFirst().reason, QStringLiteral("not run: stopped after 1 failure"));
    QCOMPARE(merged.findings().constFirst().origin.shardName, QStringLiteral("slice 2/3, shard 2 (testC)"));
    QCOMPARE(merged.breaks().constFirst().origin.shardName, QStringLiteral("slice 3/3"));
    QCOMPARE(merged.startTime(), t0.addSecs(0));
    QCOMPARE(merged.stopTime(), t0.addSecs(20));
    QCOMPARE(merged.seconds(), 21.0); // from the second slice's begin, a second before the first's
    QCOMPARE(merged.environment().sliceCount, 0);
    QCOMPARE(merged.environment().hostName, QStringLiteral("host-1, host-2"));
}

void TestSliceMerge::testBrokenOffSlice_data()
{
    QTest::addColumn<bool>("listed");
    QTest::addColumn<QStringList>("otherOrder");
    QTest::addColumn<QString>("refusal"); // empty when the slices merge

    const QStringList order = slice(2, 2).order();
    // korvud never came up: the slice had planned its shards.
    QTest::newRow("after listing the suite") << true << order << QString();
    QTest::newRow("after listing the suite, beside a slice of another selection")
        << true << QStringList{"initTestCase", "testA", "cleanupTestCase"}
        << "the documents come from different runs: 1.json selected 4 functions and rows, 2.json 1 other ones";
    // The suite could not list its functions and rows: there is no selection
    // to compare, and the other slice's is the run's.
    QTest::newRow("before listing the suite") << false << order << QString();
}

void TestSliceMerge::testBrokenOffSlice()
{
    QFETCH(bool, listed);
    QFETCH(QStringList, otherOrder);
    QFETCH(QString, refusal);

    RunResults stopped = slice(1, 2);
    if (!listed)
        stopped.setOrder({});
    stopped.addSetupError(QStringLiteral("korvud exited at start-up with status 1; its last output:"),
                          {QStringLiteral("  korvud: cannot open the database")});
    RunResults passed = slice(2, 2);
    passed.setSuiteName(QStringLiteral("TestDeliveries"));
    passed.setOrder(otherOrder);
    passed.addVerdict(verdict(O::Pass, "testA"), {});

    SliceMerge merge;
    addSlice(merge, stopped.withoutSuiteResults(), "1.json");
    addSlice(merge, passed, "2.json");
    RunResults merged;
    SliceMerge::Error error;
    if (!refusal.isEmpty()) {
        QVERIFY(!merge.merge(&merged, &error));
        QCOMPARE(error.message(), refusal);
        return;
    }
    QVERIFY2(merge.merge(&merged, &error), qPrintable(error.message()));

    QVERIFY(merged.setupErrors().isEmpty());
    QCOMPARE(merged.breaks().size(), 1);
    const RunResults::BrokenOffProcess suiteBreak = merged.breaks().constFirst();
    QCOMPARE(QStringList({suiteBreak.origin.shardName, suiteBreak.description}) + suiteBreak.lastOutput,
             (QStringList{"slice 1/2", "korvud exited at start-up with status 1; its last output:",
                          "  korvud: cannot open the database"}));
    QCOMPARE(merged.failureStatus(), 1);
    QCOMPARE(merged.order(), otherOrder);
    QCOMPARE(merged.suiteName(), QStringLiteral("TestDeliveries"));
}

void TestSliceMerge::testRefused_data()
{
    // Each slice as "K/N run suite [daemon]", given as slice-1.json, slice-2.json, ...
    QTest::addColumn<QStringList>("slices");
    QTest::addColumn<int>("problem");
    QTest::addColumn<QString>("message");

    QTest::newRow("a slice of none")
        << QStringList{"1/2 r1 T", "3/2 r1 T"} << int(SliceMerge::Problem::NotASlice)
        << "slice-2.json is not the report of a slice K/N of a run (korvu-check --shard K/N)";
    QTest::newRow("different runs") << QStringList{"1/2 r1 T", "2/2 r2 T"} << int(SliceMerge::Problem::DifferentRuns)
                                    << "the documents come from different runs: slice-1.json has run id 'r1', "
                                       "slice-2.json has run id 'r2' (give every slice of a run the same --run-id)";
    QTest::newRow("different suites") << QStringList{"1/2 r1 T", "2/2 r1 U"}
                                      << int(SliceMerge::Problem::DifferentBuilds)
                                      << "the documents come from different builds: slice-1.json checked with the "
                                         "suite T, slice-2.json with U";
    QTest::newRow("different daemons") << QStringList{"1/2 r1 T D", "2/2 r1 T E"}
                                       << int(SliceMerge::Problem::DifferentBuilds)
                                       << "the documents come from different builds: slice-1.json checked the "
                                          "daemon D, slice-2.json the daemon E";
    QTest::newRow("different counts") << QStringList{"1/2 r1 T", "2/3 r1 T"}
                                      << int(SliceMerge::Problem::DifferentSliceCounts)
                                      << "the slices disagree on their number: slice-1.json is slice 1/2, "
                                         "slice-2.json is slice 2/3";
    QTest::newRow("given twice") << QStringList{"1/2 r1 T", "2/2 r1 T", "1/2 r1 T"}
                                 << int(SliceMerge::Problem::SliceTwice)
                                 << "a slice is given twice: slice 1/2 in slice-1.json and slice-3.json";
    QTest::newRow("missing") << QStringList{"1/3 r1 T", "3/3 r1 T"} << int(SliceMerge::Problem::SliceMissing)
                             << "slice 2/3 is missing";
    QTest::newRow("most missing, of a count no run has")
        << QStringList{"2/2000000000 r1 T"} << int(SliceMerge::Problem::SliceMissing)
        << "slices 1/2000000000, 3/2000000000, 4/2000000000, 5/2000000000, 6/2000000000, 7/2000000000, 8/2000000000, "
           "9/2000000000, 10/2000000000, 11/2000000000 and 1999999989 more are missing";
}

void TestSliceMerge::testRefused()
{
    QFETCH(QStringList, slices);
    QFETCH(int, problem);
    QFETCH(QString, message);

    SliceMerge merge;
    for (int i = 0; i < slices.size(); ++i) {
        const QStringList parts = slices.at(i).split(QLatin1Char(' '));
        addSlice(merge,
                 slice(parts.at(0).section('/', 0, 0).toInt(), parts.at(0).section('/', 1).toInt(), 0, 1, parts.at(1),
                       parts.at(2), parts.value(3, QStringLiteral("D"))),
                 QStringLiteral("slice-%1.json").arg(i + 1));
    }
    RunResults merged;
    merged.setSuiteName(QStringLiteral("untouched"));
    SliceMerge::Error error;
    QVERIFY(!merge.merge(&merged, &error));
    QCOMPARE(int(error.problem), problem);
    QCOMPARE(error.message(), message);
    QCOMPARE(merged.suiteName(), QStringLiteral("untouched"));
}

QTEST_GUILESS_MAIN(TestSliceMerge)
#include "tst_slicemerge.moc"
