#include "collect/trafficlog.h"
#include "results/runresults.h"
#include "tests/tracedruns.h"
#include "tests/verdicts.h"

#include <QtTest>

namespace {

using O = TestVerdict::Outcome;

RunResults::Origin shard(int number, int repetition = 1)
{
    return {number * 10 + repetition, number, repetition, QStringLiteral("shard %1 (x%1)").arg(number)};
}

TestVerdict timed(TestVerdict verdict, double seconds)
{
    verdict.seconds = seconds;
    return verdict;
}

// "name: LABEL seconds [notes]" per run, in row order.
QStringList describe(const QVector<RunResults::TestCase> &rows)
{
    QStringList lines;
    for (const RunResults::TestCase &row : rows) {
        for (const RunResults::Run &run : row.runs) {
            lines.append(QStringLiteral("%1: %2 %3 %4")
                             .arg(row.testName, run.verdict.label())
                             .arg(run.verdict.seconds)
                             .arg(run.notes.join(QStringLiteral("; ")))
                             .trimmed());
        }
    }
    return lines;
}

} // namespace

class TestRunResults : public QObject
{
    Q_OBJECT
private slots:
    void testSuiteOrder();
    void testHooksOfShardsCountOnce();
    void testHooksPerRepetition();
    void testTrafficOfEachRun();
    void testLogLinesOfEachRun();
    void testSkippedRepetitionsAreNotFlaky();
    void testFailureStatusStopsAt127();
    void testStatusOfEveryRow();
    void testRowsNotRun();
    void testKnownRaceNamed_data();
    void testKnownRaceNamed();
};

void TestRunResults::testSuiteOrder()
{
    RunResults results;
    results.setOrder({"initTestCase", "testAvailable", "testDelivery(a)", "testDelivery(b)", "cleanupTestCase"});
    results.addVerdict(verdict(O::Pass, "testDelivery", "b"), shard(3));
    results.addVerdict(verdict(O::Pass, "initTestCase"), shard(3));
    results.addVerdict(verdict(O::Fail, "testDelivery", "a", {"no"}), shard(2));
    results.addVerdict(verdict(O::Pass, "testExtra"), shard(2));
    results.addVerdict(verdict(O::Pass, "testAvailable"), shard(1));

    QStringList names;
    for (const RunResults::TestCase &row : results.rowsWithHooksMerged())
        names.append(row.testName);
    QCOMPARE(names, (QStringList{"initTestCase", "testAvailable", "testDelivery(a)", "testDelivery(b)", "testExtra"}));
    QCOMPARE(results.failureCount(), 1);
}

void TestRunResults::testHooksOfShardsCountOnce()
{
    RunResults results;
    results.addVerdict(timed(verdict(O::Pass, "initTestCase"), 1.2), shard(1));
    results.addVerdict(timed(verdict(O::Fail, "initTestCase", QString(), {"no Hello"}), 1.1), shard(3));
    results.addVerdict(timed(verdict(O::Fail, "initTestCase", QString(), {"no Hello either"}), 1.5), shard(2));
    results.addVerdict(timed(verdict(O::Pass, "cleanupTestCase"), 0.1), shard(2));
    results.addVerdict(timed(verdict(O::Fail, "cleanupTestCase", QString(), {"stuck"}), 0.2), shard(1));
    results.addVerdict(timed(verdict(O::Fail, "cleanupTestCase", QString(), {"stuck"}), 0.3), shard(3));

    // The first failing shard's message, every failing shard named, the longest time.
    const QStringList expected = {
        "initTestCase: FAIL 1.5 failed in shard 2 (x2); failed in shard 3 (x3)",
        "cleanupTestCase: FAIL 0.3 failed in shard 1 (x1); failed in shard 3 (x3)",
    };
    const QVector<RunResults::TestCase> rows = results.rowsWithHooksMerged();
    QCOMPARE(describe(rows), expected);
    QCOMPARE(rows.at(0).runs.constFirst().verdict.messageLines, QStringList{"no Hello either"});
    QCOMPARE(results.failureCount(), 2);

    RunResults allFailed;
    for (int number = 1; number <= 3; ++number)
        allFailed.addVerdict(verdict(O::Fail, "initTestCase", QString(), {"no Hello"}), shard(number));
    QCOMPARE(describe(allFailed.rowsWithHooksMerged()), QStringList{"initTestCase: FAIL 0 failed in all 3 shards"});
}

void TestRunResults::testHooksPerRepetition()
{
    RunResults results;
    for (int repetition = 1; repetition <= 2; ++repetition) {
        for (int number = 1; number <= 2; ++number) {
            const bool fails = repetition == 2 && number == 1;
            results.addVerdict(fails ? verdict(O::Fail, "initTestCase", QString(), {"late"})
                                     : verdict(O::Pass, "initTestCase"),
                               shard(number, repetition));
        }
    }
    const QVector<RunResults::TestCase> rows = results.rowsWithHooksMerged();
    QCOMPARE(describe(rows), (QStringList{"initTestCase: PASS 0", "initTestCase: FAIL 0 failed in shard 1 (x1)"}));
    QVERIFY(rows.constFirst().isFlaky());
    QCOMPARE(rows.constFirst().passes(), 1);
}

void TestRunResults::testTrafficOfEachRun()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QFile trace(dir.filePath("trace.jsonl"));
    QVERIFY(trace.open(QIODevice::WriteOnly));
    for (const char *row : {"a", "b"}) {
        trace.write(QByteArray(R"({"kind":"connect","connected":true,"function":"testDelivery","row":")") + row
                    + R"(","phase":"test","t":1})" + '\n');
    }
    trace.write(R"({"kind":"connect","connected":true,"function":"initTestCase","row":"","phase":"test","t":1})"
                "\n");
    trace.close();
    // A later repetition of the same shard, with traffic of its own.
    QFile laterTrace(dir.filePath("later.jsonl"));
    QVERIFY(laterTrace.open(QIODevice::WriteOnly));
    laterTrace.write(
        R"({"kind":"connect","connected":false,"error":"refused","function":"testDelivery","row":"a","phase":"test",)"
        R"("t":1})"
        "\n");
    laterTrace.close();

    RunResults results;
    results.addVerdict(verdict(O::Fail, "testDelivery", "a", {"no"}), shard(1));
    results.addVerdict(verdict(O::Pass, "testDelivery", "b"), shard(1));
    results.addVerdict(verdict(O::Fail, "initTestCase", QString(), {"no"}), shard(1));
    results.addVerdict(verdict(O::Fail, "testDelivery", "a", {"no"}), shard(2));
    results.addVerdict(verdict(O::Fail, "testDelivery", "a", {"no"}), shard(1, 2));
    attachTrace(&results, shard(1, 2).job, laterTrace.fileName());
    attachTrace(&results, shard(1).job, trace.fileName());

    for (const RunResults::TestCase &row : results.rowsWithHooksMerged()) {
        for (const RunResults::Run &run : row.runs) {
            const QString exchanges = TrafficLog::lines(run.exchanges).join(QLatin1Char('\n'));
            if (run.origin.job == shard(2).job)
                QVERIFY2(exchanges.isEmpty(), qPrintable(exchanges));
            else
                QCOMPARE(exchanges.contains(QLatin1String("refused")), run.origin.repetition == 2);
            QCOMPARE(run.exchanges.isEmpty(), run.origin.job == shard(2).job);
        }
    }
}

// Shards log the same row at once; an expected failure's lines go with the
// verdict that ends the row.
void TestRunResults::testLogLinesOfEachRun()
{
    RunResults results;
    results.addLogLine("testDelivery(a)", shard(1), "one: scan");
    results.addLogLine("testDelivery(a)", shard(2), "two: scan");
    results.addLogLine("testDelivery(a)", shard(1), "one: gate");
    results.addVerdict(verdict(O::ExpectedFail, "testDelivery", "a", {"known"}), shard(1));
    results.addVerdict(verdict(O::Pass, "testDelivery", "a"), shard(1));
    results.addVerdict(verdict(O::Fail, "testDelivery", "a", {"no"}), shard(2));
    results.addVerdict(verdict(O::Pass, "testDelivery", "a"), shard(1, 2));

    QVector<QStringList> logged;
    const QVector<RunResults::TestCase> rows = results.rowsWithHooksMerged();
    for (const RunResults::Run &run : rows.constFirst().runs)
        logged.append(run.logLines);
    QCOMPARE(logged, (QVector<QStringList>{{}, {"one: scan", "one: gate"}, {"two: scan"}, {}}));
}

void TestRunResults::testSkippedRepetitionsAreNotFlaky()
{
    RunResults results;
    results.addVerdict(verdict(O::Pass, "testDelivery", "a"), shard(1, 1));
    results.addVerdict(verdict(O::Skip, "testDelivery", "a", {"no gate"}), shard(1, 2));
    results.addVerdict(verdict(O::Pass, "testDelivery", "a"), shard(1, 3));
    const RunResults::TestCase row = results.rowsWithHooksMerged().constFirst();
    QVERIFY(!row.isFlaky());
    QCOMPARE(row.passes(), 2);
    QCOMPARE(results.failureStatus(), 0);
}

void TestRunResults::testFailureStatusStopsAt127()
{
    RunResults results;
    for (int row = 0; row < 130; ++row)
        results.addVerdict(verdict(O::Fail, "testDelivery", QString::number(row), {"no"}), shard(1));
    QCOMPARE(results.failureCount(), 130);
    QCOMPARE(results.failureStatus(), 127);
}

// Every function or row has one status, those the suite broke off in before
// their verdict too; each reason is what the reports show beside it.
void TestRunResults::testStatusOfEveryRow()
{
    RunResults results;
    RunResults::Environment environment;
    environment.retries = 1;
    environment.failOnFlaky = true;
    results.setEnvironment(environment);
    results.setOrder({"testA", "testB", "testC", "testD", "testE"});
    RunResults::Origin retry = shard(2);
    retry.attempt = 2;
    results.addVerdict(verdict(O::Fail, "testA", QString(), {"no"}), shard(1));
    results.addVerdict(verdict(O::Fail, "testB", QString(), {"no"}), shard(1));
    results.addVerdict(verdict(O::Pass, "testB"), retry);
    results.addVerdict(verdict(O::Pass, "testC"), shard(1));
    results.addFinding({DaemonFinding::Kind::Signal, "testC", QString(), {"korvud died of signal 6"}}, shard(1));
    results.addVerdict(verdict(O::Pass, "testD"), shard(1));
    results.addBreak({"crash", "the suite crashed (signal 11)", "testD", 0, {}, shard(3)});
    results.addBreak({"crash", "the suite crashed (signal 11)", "testE", 0, {}, shard(4)});
    results.addBreak({"start", "the suite could not start", QString(), 0, {}, shard(5)});

    QStringList described;
    for (const RowStatus &status : results.statuses()) {
        described.append(QStringLiteral("%1 %2 %3: %4")
                             .arg(status.testName)
                             .arg(int(status.outcome))
                             .arg(status.failures)
                             .arg(status.reason));
    }
    using Out = RowStatus::Outcome;
    QCOMPARE(described,
             (QStringList{
                 QStringLiteral("testA %1 1: its last try failed").arg(int(Out::Failed)),
                 QStringLiteral("testB %1 1: passed only on a retry, and --fail-on-flaky is set").arg(int(Out::Flaky)),
                 QStringLiteral("testC %1 0: the daemon reported a finding: signal: korvud died of signal 6")
                     .arg(int(Out::Passed)),
                 QStringLiteral("testD %1 1: the suite crashed (signal 11) (shard 3 (x3))").arg(int(Out::Passed)),
                 QStringLiteral("testE %1 1: the suite crashed (signal 11) (shard 4 (x4))").arg(int(Out::BrokenOff))}));
    // The break outside any row counts too.
    QCOMPARE(results.failureCount(), 5);
    QCOMPARE(results.counts().failed, 5);
    QCOMPARE(results.counts().passed, 2);
}

// Only what neither ran nor broke off is not run, also when a row of
// another slice arrives later; it adds no failure of its own.
void TestRunResults::testRowsNotRun()
{
    RunResults results;
    results.setOrder({"testA", "testB", "testC", "testD", "testE"});
    results.addVerdict(verdict(O::Fail, "testA", QString(), {"no"}), shard(1));
    results.addBreak({"interrupted", "stopped by signal 15", "testB", 0, {}, shard(1)});
    results.addNotRun({"testE", "testD", "testC", "testB", "testA"}, "not run: stopped after 1 failure");
    results.addNotRun({"testC"}, "not run: stopped after 2 failures");
    results.addVerdict(verdict(O::Pass, "testD"), shard(2));

    QStringList described;
    for (const RowStatus &status : results.statuses()) {
        if (status.outcome == RowStatus::Outcome::NotRun)
            described.append(QStringLiteral("%1 %2: %3").arg(status.testName).arg(status.failures).arg(status.reason));
    }
    QCOMPARE(described,
             (QStringList{"testC 0: not run: stopped after 1 failure", "testE 0: not run: stopped after 1 failure"}));
    QCOMPARE(results.counts().notRun, 2);
    QCOMPARE(results.failureCount(), 2);
    QCOMPARE(results.withoutSuiteResults().counts().notRun, 0);
}

void TestRunResults::testKnownRaceNamed_data()
{
    QTest::addColumn<QJsonObject>("listed");
    QTest::addColumn<bool>("cut");
    QTest::addColumn<bool>("named");

    const QJsonObject later = {{"id", "d1"}, {"name", "Parcel"}, {"createdTimestamp", 1700000001}};
    QTest::newRow("one second later") << later << false << true;
    QTest::newRow("one second earlier") << QJsonObject{{"id", "d1"},
                                                       {"name", "Parcel"},
                                                       {"createdTimestamp", 1699999999}}
                                        << false << true;
    QTest::newRow("two seconds") << QJsonObject{{"id", "d1"}, {"name", "Parcel"}, {"createdTimestamp", 1700000002}}
                                 << false << false;
    QTest::newRow("another field too") << QJsonObject{{"id", "d1"}, {"name", "Box"}, {"createdTimestamp", 1700000001}}
                                       << false << false;
    QTest::newRow("message cut short, listing traced") << later << true << true;
}

void TestRunResults::testKnownRaceNamed()
{
    QFETCH(QJsonObject, listed);
    QFETCH(bool, cut);
    QFETCH(bool, named);

    const QJsonObject expected = {{"id", "d1"}, {"name", "Parcel"}, {"createdTimestamp", 1700000000}};
    QString message = "'a == b' returned FALSE. (Delivery not matching.\nExpected: "
                      + QString::fromUtf8(QJsonDocument(expected).toJson())
                      + "\nGot: " + QString::fromUtf8(QJsonDocument(listed).toJson()) + ")";
    if (cut)
        message.chop(20);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QFile trace(dir.filePath("trace.jsonl"));
    QVERIFY(trace.open(QIODevice::WriteOnly));
    // The clean-up's listing after the row is no record the check compared.
    const QVector<QPair<QString, QJsonObject>> listings = {{"test", listed}, {"cleanup", expected}};
    for (const auto &listing : listings) {
        const QJsonObject reply = {
            {"id", 3}, {"status", "success"}, {"params", QJsonObject{{"deliveries", QJsonArray{listing.second}}}}};
        trace.write(QJsonDocument(QJsonObject{{"kind", "rpc"},
                                              {"function", "testAddDelivery"},
                                              {"row", "with notification"},
                                              {"phase", listing.first},
                                              {"t", 1},
                                              {"request", R"({"id":3,"method":"PlavoDelivery.GetDeliveries"})"},
                                              {"reply", QString::fromUtf8(QJsonDocument(reply).toJson())}})
                        .toJson(QJsonDocument::Compact)
                    + '\n');
    }
    trace.close();

    RunResults results;
    results.addVerdict(verdict(O::Fail, "testAddDelivery", "with notification", message.split('\n')), shard(1));
    attachTrace(&results, shard(1).job, trace.fileName());
    const RunResults::Run run = results.rowsWithHooksMerged().constFirst().runs.constFirst();
    QCOMPARE(run.notes.filter("known race").size(), named ? 1 : 0);
    QVERIFY(run.verdict.isFailure());
}

QTEST_GUILESS_MAIN(TestRunResults)
#include "tst_runresults.moc"
