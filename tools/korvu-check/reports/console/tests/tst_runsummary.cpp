#include "reports/console/runsummary.h"
#include "tests/verdicts.h"

#include <QtTest>

Q_DECLARE_METATYPE(TestVerdict)
Q_DECLARE_METATYPE(QVector<TestVerdict::Outcome>)

class TestRunSummary : public QObject
{
    Q_OBJECT
private slots:
    void testProgressLines_data();
    void testProgressLines();
    void testCounts_data();
    void testCounts();
    void testSummaryLines();
    void testRepeatedSummary();
};

namespace {

RunResults::Origin repetition(int number) { return {number - 1, 0, number, QString()}; }

} // namespace

void TestRunSummary::testProgressLines_data()
{
    QTest::addColumn<TestVerdict>("verdict");
    QTest::addColumn<double>("seconds");
    QTest::addColumn<QStringList>("lines");

    QTest::newRow("pass with row") << verdict(TestVerdict::Outcome::Pass, "testAddDelivery", "with notification")
                                   << 0.031 << QStringList{"PASS  testAddDelivery(with notification)  0.03 s"};
    QTest::newRow("pass without row") << verdict(TestVerdict::Outcome::Pass, "testRemoveDelivery") << 2.0
                                      << QStringList{"PASS  testRemoveDelivery  2.00 s"};
    QTest::newRow("failure with message and location")
        << verdict(TestVerdict::Outcome::Fail, "testDelivery", "bad code",
                   {"'granted' returned FALSE. (first", "second)"}, "/src/t.cpp(12)")
        << 1.5
        << QStringList{"FAIL  testDelivery(bad code)  1.50 s", "      'granted' returned FALSE. (first",
                       "      second)", "      at /src/t.cpp(12)"};
    QTest::newRow("skip shows its reason, not its location")
        << verdict(TestVerdict::Outcome::Skip, "testSkipped", QString(), {"no scanner"}, "t.cpp(3)") << 0.0
        << QStringList{"SKIP  testSkipped  0.00 s", "      no scanner"};
    QTest::newRow("long label keeps a blank")
        << verdict(TestVerdict::Outcome::BlacklistedUnexpectedPass, "f") << 0.0 << QStringList{"BXPASS f  0.00 s"};
}

void TestRunSummary::testProgressLines()
{
    QFETCH(TestVerdict, verdict);
    QFETCH(double, seconds);
    QFETCH(QStringList, lines);
    verdict.seconds = seconds;
    QCOMPARE(RunSummary::progressLines(verdict, verdict.testName()), lines);

    lines.first() += QStringLiteral("  [run 2/3]");
    QCOMPARE(RunSummary::progressLines(verdict, verdict.testName(), QStringLiteral("[run 2/3]")), lines);
}

void TestRunSummary::testCounts_data()
{
    using Outcome = TestVerdict::Outcome;
    QTest::addColumn<QVector<Outcome>>("outcomes");
    QTest::addColumn<bool>("suiteBreak");
    QTest::addColumn<QString>("lastLine");

    QTest::newRow("nothing") << QVector<Outcome>() << false << "0 passed, 0 failed, 0 skipped";
    QTest::newRow("like the framework's totals") << QVector<Outcome>{Outcome::Pass,
                                                                     Outcome::ExpectedFail,
                                                                     Outcome::Pass,
                                                                     Outcome::Fail,
                                                                     Outcome::UnexpectedPass,
                                                                     Outcome::Skip,
                                                                     Outcome::BlacklistedPass,
                                                                     Outcome::BlacklistedFail}
                                                 << false << "2 passed, 2 failed, 1 skipped";
    QTest::newRow("an abnormal end is a failure")
        << QVector<Outcome>{Outcome::Pass, Outcome::Pass} << true << "2 passed, 1 failed, 0 skipped";
}

void TestRunSummary::testCounts()
{
    QFETCH(QVector<TestVerdict::Outcome>, outcomes);
    QFETCH(bool, suiteBreak);
    QFETCH(QString, lastLine);

    RunResults results;
    for (int i = 0; i < outcomes.size(); ++i)
        results.addVerdict(verdict(outcomes.at(i), QStringLiteral("f%1").arg(i)), repetition(1));
    if (suiteBreak)
        results.addBreak({"crash", "testdeliveries died of signal 11", QString(), 0, {}, repetition(1)});
    QCOMPARE(RunSummary(results).summaryLines(1.0).constLast(), lastLine);
}

void TestRunSummary::testSummaryLines()
{
    RunResults results;
    results.addVerdict(verdict(TestVerdict::Outcome::Pass, "initTestCase"), repetition(1));
    results.addVerdict(
        verdict(TestVerdict::Outcome::Fail, "testAvailable", "gate, scanner",
                {"not available", R"(Expected: {"available": true, "id": 1})", R"(Got: {"available": false, "id": 1})"},
                "t.cpp(5)"),
        repetition(1));
    results.addVerdict(verdict(TestVerdict::Outcome::BlacklistedFail, "testFlaky", QString(), {"flaky"}),
                       repetition(1));
    results.addBreak({"crash",
                      "testdeliveries died of signal 6 during testDelivery(DPD Prio)",
                      "testDelivery(DPD Prio)",
                      1.5,
                      {"Received signal 6"},
                      repetition(1)});

    const QStringList expected = {
        "",
        "Failures:",
        "  FAIL testAvailable(gate, scanner)",
        "    not available",
        R"(    Expected: {"available": true, "id": 1})",
        R"(    Got: {"available": false, "id": 1})",
        "    at t.cpp(5)",
        "    difference:",
        "      available: expected true, got false",
        "  FAIL testdeliveries died of signal 6 during testDelivery(DPD Prio)",
        "    Received signal 6",
        "",
        "Wall time: 12.35 s",
        "Blacklisted: 1",
        "JUnit report: /tmp/r.xml",
        "1 passed, 2 failed, 0 skipped",
    };
    QCOMPARE(RunSummary(results).summaryLines(12.346, {"JUnit report: /tmp/r.xml"}), expected);
}

void TestRunSummary::testRepeatedSummary()
{
    using O = TestVerdict::Outcome;
    RunResults results;
    RunResults::Environment environment;
    environment.repeat = 3;
    results.setEnvironment(environment);
    for (int run = 1; run <= 3; ++run) {
        results.addVerdict(verdict(O::Pass, "initTestCase"), repetition(run));
        const bool late = run != 2;
        results.addVerdict(late ? verdict(O::Fail, "testDelivery", "DPD Prio", {"Garage did not close"}, "t.cpp(7)")
                                : verdict(O::Pass, "testDelivery", "DPD Prio"),
                           repetition(run));
        results.addVerdict(verdict(O::Fail, "testDelivery", "bad code", {run == 3 ? "other" : "refused"}),
                           repetition(run));
    }

    const QStringList expected = {
        "",
        "Runs passed, per function and row:",
        "    3/3  initTestCase",
        "    1/3  testDelivery(DPD Prio)  FLAKY",
        "    0/3  testDelivery(bad code)",
        "",
        "Failures:",
        "  FAIL testDelivery(DPD Prio)  (runs 1, 3 of 3)",
        "    Garage did not close",
        "    at t.cpp(7)",
        "  FAIL testDelivery(bad code)  (runs 1, 2 of 3)",
        "    refused",
        "  FAIL testDelivery(bad code)  (run 3 of 3)",
        "    other",
        "",
        "Wall time: 9.00 s",
        "Flaky: 1",
        "4 passed, 5 failed, 0 skipped",
    };
    QCOMPARE(RunSummary(results).summaryLines(9.0), expected);
}

QTEST_GUILESS_MAIN(TestRunSummary)
#include "tst_runsummary.moc"
