#include "reports/junitreport.h"
#include "tests/junitfile.h"
#include "tests/verdicts.h"

#include <QtTest>

namespace {

// The report of these results, as a CI server reads it.
JunitFile parse(const RunResults &results, int outputLimit = JunitReport::defaultOutputLimit)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    if (!JunitReport(outputLimit).write(results, &buffer)) {
        JunitFile failed;
        failed.error = QStringLiteral("write failed");
        return failed;
    }
    return JunitFile::parse(buffer.data());
}

RunResults resultsOf(const QVector<TestVerdict> &verdicts, const QString &suiteName = QString())
{
    RunResults results;
    results.setSuiteName(suiteName);
    for (const TestVerdict &testVerdict : verdicts)
        results.addVerdict(testVerdict, {});
    return results;
}

} // namespace

Q_DECLARE_METATYPE(TestVerdict)
Q_DECLARE_METATYPE(QVector<TestVerdict>)

class TestJunitReport : public QObject
{
    Q_OBJECT
private slots:
    void testCounts_data();
    void testCounts();
    void testNames_data();
    void testNames();
    void testResultElements_data();
    void testResultElements();
    void testRows_data();
    void testRows();
    void testCrash();
    void testSuiteAttributes();
    void testSystemOut_data();
    void testSystemOut();
    void testWriteFile();
};

void TestJunitReport::testCounts_data()
{
    QTest::addColumn<QVector<TestVerdict>>("verdicts");
    QTest::addColumn<bool>("crashed");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QVector<int>>("counts"); // tests, failures, errors, skipped

    using O = TestVerdict::Outcome;
    QTest::newRow("clean run with rows")
        << QVector<TestVerdict>{verdict(O::Pass, "initTestCase"), verdict(O::Pass, "testDelivery", "DPD Prio"),
                                verdict(O::Pass, "testDelivery", "UPS"), verdict(O::Pass, "cleanupTestCase")}
        << false << QStringList{"initTestCase", "testDelivery(DPD Prio)", "testDelivery(UPS)", "cleanupTestCase"}
        << QVector<int>{4, 0, 0, 0};
    QTest::newRow("failure, unexpected pass and skip")
        << QVector<TestVerdict>{verdict(O::Fail, "f", "a", {"no"}), verdict(O::UnexpectedPass, "g", QString(), {"yes"}),
                                verdict(O::Skip, "h", QString(), {"no scanner"})}
        << false << QStringList{"f(a)", "g", "h"} << QVector<int>{3, 2, 0, 1};
    QTest::newRow("expected failure and its verdict are one case")
        << QVector<TestVerdict>{verdict(O::ExpectedFail, "f", "a", {"known"}), verdict(O::Pass, "f", "a")} << false
        << QStringList{"f(a)"} << QVector<int>{1, 0, 0, 0};
    QTest::newRow("blacklisted failures do not fail the report")
        << QVector<TestVerdict>{verdict(O::BlacklistedPass, "f"), verdict(O::BlacklistedFail, "g", QString(), {"bad"}),
                                verdict(O::BlacklistedUnexpectedPass, "h", QString(), {"good"})}
        << false << QStringList{"f", "g", "h"} << QVector<int>{3, 0, 0, 3};
    QTest::newRow("crash adds an error case") << QVector<TestVerdict>{verdict(O::Pass, "initTestCase")} << true
                                              << QStringList{"initTestCase", "testCrash"} << QVector<int>{2, 0, 1, 0};
    QTest::newRow("nothing ran") << QVector<TestVerdict>() << false << QStringList() << QVector<int>{0, 0, 0, 0};
}

void TestJunitReport::testCounts()
{
    QFETCH(QVector<TestVerdict>, verdicts);
    QFETCH(bool, crashed);
    QFETCH(QStringList, names);
    QFETCH(QVector<int>, counts);

    RunResults results = resultsOf(verdicts, "TestDeliveries");
    if (crashed)
        results.addBreak({"crash", "testdeliveries died of signal 11 during testCrash", "testCrash", 0, {}, {}});

    const JunitFile parsed = parse(results);
    QVERIFY2(parsed.error.isEmpty(), qPrintable(parsed.error));
    QCOMPARE(parsed.names(), names);
    const QVector<int> parsedCounts = {parsed.suite.value("tests").toInt(), parsed.suite.value("failures").toInt(),
                                       parsed.suite.value("errors").toInt(), parsed.suite.value("skipped").toInt()};
    QCOMPARE(parsedCounts, counts);
    for (const JunitFile::TestCase &testCase : parsed.cases)
        QCOMPARE(testCase.attributes.value("classname").toString(), QStringLiteral("TestDeliveries"));
}

void TestJunitReport::testNames_data()
{
    QTest::addColumn<QString>("suiteName");
    QTest::addColumn<QString>("row");
    QTest::addColumn<QString>("name");

    QTest::newRow("parentheses and commas") << "TestDeliveries"
                                            << "granted (code with spaces), late"
                                            << "testDelivery(granted (code with spaces), late)";
    QTest::newRow("quotes, ampersands and angle brackets") << "Test<\"A&B\">"
                                                           << "DPD \"Prio\" & <express> 'x'"
                                                           << "testDelivery(DPD \"Prio\" & <express> 'x')";
    QTest::newRow("markup-like text stays text") << "T"
                                                 << "]]><!-- &amp; -->"
                                                 << "testDelivery(]]><!-- &amp; -->)";
    QTest::newRow("control characters become replacement characters")
        << "T" << QString("\x1b[31mred\x01") << QString("testDelivery(\uFFFD[31mred\uFFFD)");
    QTest::newRow("non-ASCII rows survive") << "T" << QString("Straße 🚚") << QString("testDelivery(Straße 🚚)");
}

void TestJunitReport::testNames()
{
    QFETCH(QString, suiteName);
    QFETCH(QString, row);
    QFETCH(QString, name);

    const JunitFile parsed = parse(
        resultsOf({verdict(TestVerdict::Outcome::Fail, "testDelivery", row, {row})}, suiteName));
    QVERIFY2(parsed.error.isEmpty(), qPrintable(parsed.error));
    QCOMPARE(parsed.suite.value("name").toString(), suiteName);
    QCOMPARE(parsed.names(), QStringList{name});
    QCOMPARE(parsed.cases.constFirst().attributes.value("classname").toString(), suiteName);
    QCOMPARE(parsed.cases.constFirst().resultAttributes.value("message").toString(), name.mid(13).chopped(1));
}

void TestJunitReport::testResultElements_data()
{
    QTest::addColumn<QVector<TestVerdict>>("verdicts");
    QTest::addColumn<QString>("result");
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("systemOut");

    using O = TestVerdict::Outcome;
    QTest::newRow("failure: first line as message, all lines and location as text")
        << QVector<TestVerdict>{verdict(
               O::Fail, "testGetDeliveries", "10",
               {"Compared values are not the same", "   Actual   (count): 9", "   Expected (10)   : 10"},
               "/src/tst.cpp(30)")}
        << "failure"
        << "fail"
        << "Compared values are not the same"
        << "Compared values are not the same\n   Actual   (count): 9\n   Expected (10)   : 10\nLoc: [/src/tst.cpp(30)]"
        << "";
    QTest::newRow("failure: what differs after the message and location")
        << QVector<TestVerdict>{verdict(O::Fail, "testAddDelivery", "valid",
                                        {"'a == b' returned FALSE. (Delivery not matching.",
                                         R"(Expected: {"id": 1, "name": "Delivery"})",
                                         R"(Got: {"id": 1, "name": "delivery"}))"},
                                        "t.cpp(192)")}
        << "failure"
        << "fail"
        << "'a == b' returned FALSE. (Delivery not matching."
        << "'a == b' returned FALSE. (Delivery not matching.\nExpected: {\"id\": 1, \"name\": \"Delivery\"}\n"
           "Got: {\"id\": 1, \"name\": \"delivery\"})\nLoc: [t.cpp(192)]\ndifference:\n"
           "  name: expected \"Delivery\", got \"delivery\""
        << "";
    QTest::newRow("failure without location")
        << QVector<TestVerdict>{verdict(O::Fail, "f", QString(), {"gone"})} << "failure"
        << "fail"
        << "gone"
        << "gone"
        << "";
    QTest::newRow("unexpected pass") << QVector<TestVerdict>{verdict(
        O::UnexpectedPass, "f", QString(), {"'x' returned TRUE unexpectedly. ()"}, "t.cpp(9)")}
                                     << "failure"
                                     << "xpass"
                                     << "'x' returned TRUE unexpectedly. ()"
                                     << "'x' returned TRUE unexpectedly. ()\nLoc: [t.cpp(9)]"
                                     << "";
    QTest::newRow("skip with reason") << QVector<TestVerdict>{verdict(O::Skip, "f", QString(), {"no scanner here"},
                                                                      "t.cpp(40)")}
                                      << "skipped"
                                      << ""
                                      << "no scanner here"
                                      << ""
                                      << "";
    QTest::newRow("blacklisted failure") << QVector<TestVerdict>{verdict(O::BlacklistedFail, "f", QString(), {"bad"},
                                                                         "t.cpp(2)")}
                                         << "skipped"
                                         << ""
                                         << "blacklisted, BFAIL: bad\nLoc: [t.cpp(2)]"
                                         << ""
                                         << "";
    QTest::newRow("expected failure becomes a note of the pass")
        << QVector<TestVerdict>{verdict(O::ExpectedFail, "f", "a", {"known"}, "t.cpp(8)"), verdict(O::Pass, "f", "a")}
        << "passed"
        << ""
        << ""
        << ""
        << "XFAIL: known\nLoc: [t.cpp(8)]";
}

void TestJunitReport::testResultElements()
{
    QFETCH(QVector<TestVerdict>, verdicts);
    QFETCH(QString, result);
    QFETCH(QString, type);
    QFETCH(QString, message);
    QFETCH(QString, text);
    QFETCH(QString, systemOut);

    const JunitFile parsed = parse(resultsOf(verdicts));
    QVERIFY2(parsed.error.isEmpty(), qPrintable(parsed.error));
    QCOMPARE(parsed.cases.size(), 1);
    const JunitFile::TestCase &testCase = parsed.cases.constFirst();
    QCOMPARE(testCase.result, result);
    QCOMPARE(testCase.resultAttributes.value("type").toString(), type);
    QCOMPARE(testCase.resultAttributes.value("message").toString(), message);
    QCOMPARE(testCase.resultText, text);
    QCOMPARE(testCase.systemOut, systemOut);
}

void TestJunitReport::testRows_data()
{
    QTest::addColumn<QVector<TestVerdict>>("runs");
    QTest::addColumn<QString>("summary");
    QTest::addColumn<QString>("time");
    QTest::addColumn<QString>("resultText");
    QTest::addColumn<QString>("systemOut");

    using O = TestVerdict::Outcome;
    const TestVerdict pass = verdict(O::Pass, "testDelivery", "DPD Prio");
    const TestVerdict fail = verdict(O::Fail, "testDelivery", "DPD Prio", {"Garage did not open"}, "t.cpp(7)");
    QTest::newRow("one failed run keeps its traffic")
        << QVector<TestVerdict>{fail} << "testDelivery(DPD Prio): failure [fail] Garage did not open"
        << "1.000"
        << "Garage did not open\nLoc: [t.cpp(7)]"
        << "failed in shard 2 (testDelivery:DPD Prio)\nexchanges (seconds from the first):\n   0.000  GET :6655/x -> "
           "404 \"\"";
    QTest::newRow("every run passed") << QVector<TestVerdict>{pass, pass, pass} << "testDelivery(DPD Prio): passed"
                                      << "3.000"
                                      << ""
                                      << "";
    QTest::newRow("passed and failed: flaky")
        << QVector<TestVerdict>{pass, fail, pass} << "testDelivery(DPD Prio): failure [flaky] flaky: passed 2 of 3 runs"
        << "3.000"
        << "run 2: Garage did not open\nLoc: [t.cpp(7)]"
        << "failed in shard 2 (testDelivery:DPD Prio)\nexchanges (seconds from the first):\n   0.000  GET :6655/x -> "
           "404 \"\"";
    QTest::newRow("failed every time")
        << QVector<TestVerdict>{fail, fail}
        << "testDelivery(DPD Prio): failure [fail] failed 2 of 2 runs: Garage did not open"
        << "2.000"
        << "run 1: Garage did not open\nLoc: [t.cpp(7)]\nrun 2: Garage did not open\nLoc: [t.cpp(7)]"
        << "failed in shard 2 (testDelivery:DPD Prio)\nexchanges (seconds from the first):\n   0.000  GET :6655/x -> "
           "404 \"\"";
}

void TestJunitReport::testRows()
{
    QFETCH(QVector<TestVerdict>, runs);
    QFETCH(QString, summary);
    QFETCH(QString, time);
    QFETCH(QString, resultText);
    QFETCH(QString, systemOut);

    RunResults results;
    RunResults::Environment environment;
    environment.repeat = runs.size();
    results.setEnvironment(environment);
    for (int i = 0; i < runs.size(); ++i) {
        RunResults::Run run{runs.at(i), {i, 2, i + 1, "shard 2 (testDelivery:DPD Prio)"}, {}, {}, {}};
        run.verdict.seconds = 1.0;
        if (run.verdict.isFailure()) {
            run.notes = QStringList{"failed in shard 2 (testDelivery:DPD Prio)"};
            run.exchanges = {QJsonObject{{"kind", "http"},
                                         {"method", "GET"},
                                         {"port", 6655},
                                         {"path", "/x"},
                                         {"finished", true},
                                         {"status", 404},
                                         {"error", "NoError"},
                                         {"t", 0}}};
        }
        results.addRun(run);
    }

    const JunitFile parsed = parse(results);
    QVERIFY2(parsed.error.isEmpty(), qPrintable(parsed.error));
    QCOMPARE(parsed.summaries(), QStringList{summary});
    const JunitFile::TestCase &testCase = parsed.cases.constFirst();
    QCOMPARE(testCase.attributes.value("time").toString(), time);
    QCOMPARE(testCase.resultText, resultText);
    QCOMPARE(testCase.systemOut, systemOut);
}

void TestJunitReport::testCrash()
{
    TestVerdict pass = verdict(TestVerdict::Outcome::Pass, "initTestCase");
    pass.seconds = 0.25;
    RunResults results = resultsOf({pass}, "TestDeliveries");
    results.addBreak({"crash",
                      "testdeliveries died of signal 11 during testDelivery(DPD Prio)",
                      "testDelivery(DPD Prio)",
                      1.5,
                      {"QDEBUG : TestDeliveries::testDelivery(DPD Prio) scanning", "korvud: lost connection"},
                      {}});

    const JunitFile parsed = parse(results);
    QVERIFY2(parsed.error.isEmpty(), qPrintable(parsed.error));
    QCOMPARE(parsed.suite.value("errors").toString(), QStringLiteral("1"));
    QCOMPARE(parsed.suite.value("failures").toString(), QStringLiteral("0"));
    QCOMPARE(parsed.cases.size(), 2);
    QCOMPARE(parsed.cases.at(0).attributes.value("time").toString(), QStringLiteral("0.250"));
    const JunitFile::TestCase &crash = parsed.cases.at(1);
    QCOMPARE(crash.attributes.value("name").toString(), QStringLiteral("testDelivery(DPD Prio)"));
    QCOMPARE(crash.attributes.value("time").toString(), QStringLiteral("1.500"));
    QCOMPARE(crash.result, QStringLiteral("error"));
    QCOMPARE(crash.resultAttributes.value("type").toString(), QStringLiteral("crash"));
    QCOMPARE(crash.resultAttributes.value("message").toString(),
             QStringLiteral("testdeliveries died of signal 11 during testDelivery(DPD Prio)"));
    QCOMPARE(crash.resultText,
             QStringLiteral("QDEBUG : TestDeliveries::testDelivery(DPD Prio) scanning\nkorvud: lost connection"));
}

void TestJunitReport::testSuiteAttributes()
{
    // The host is the one the results ran on, not the one that writes them.
    RunResults results;
    results.setSuiteName("TestDeliveries");
    results.setStartTime(QDateTime(QDate(2024, 3, 5), QTime(7, 8, 9)));
    results.setSeconds(12.3456);
    RunResults::Environment environment;
    environment.hostName = QStringLiteral("ci-runner-3");
    results.setEnvironment(environment);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QVERIFY(JunitReport().write(results, &buffer));

    const JunitFile parsed = JunitFile::parse(buffer.data());
    QVERIFY2(parsed.error.isEmpty(), qPrintable(parsed.error));
    QCOMPARE(parsed.suite.value("name").toString(), QStringLiteral("TestDeliveries"));
    QCOMPARE(parsed.suite.value("timestamp").toString(), QStringLiteral("2024-03-05T07:08:09"));
    QCOMPARE(parsed.suite.value("hostname").toString(), QStringLiteral("ci-runner-3"));
    QCOMPARE(parsed.suite.value("time").toString(), QStringLiteral("12.346"));
    QCOMPARE(parsed.suite.value("errors").toString(), QStringLiteral("0"));
}

void TestJunitReport::testSystemOut_data()
{
    QTest::addColumn<int>("limit");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QString>("systemOut");

    QTest::newRow("everything fits")
        << 100 << QStringList{"********* Start testing of T *********", "QDEBUG : T::f() a & <b>", "PASS   : T::f()"}
        << "********* Start testing of T *********\nQDEBUG : T::f() a & <b>\nPASS   : T::f()";
    // Lines of 9 characters with their line break: 5 fit into half of 100,
    // 6 into the 55 left.
    QStringList many;
    for (int i = 0; i < 100; ++i)
        many.append(QStringLiteral("line %1").arg(i, 3, 10, QLatin1Char('0')));
    QTest::newRow("head and tail of long output")
        << 100 << many
        << "line 000\nline 001\nline 002\nline 003\nline 004\n[... 89 lines left out ...]\n"
           "line 094\nline 095\nline 096\nline 097\nline 098\nline 099";
    QTest::newRow("overlong line is cut")
        << 40 << QStringList{"short", QString(30, 'x'), "end"} << "short\nxxxxxxxxxxxxx [...]\nend";
    QTest::newRow("control characters") << 100 << QStringList{QString("\x1b[1mbold\x1b[0m\x7f\x08")}
                                        << QString("\uFFFD[1mbold\uFFFD[0m\x7f\uFFFD");
    QTest::newRow("no output, no element") << 100 << QStringList() << "";
}

void TestJunitReport::testSystemOut()
{
    QFETCH(int, limit);
    QFETCH(QStringList, lines);
    QFETCH(QString, systemOut);

    RunResults results;
    for (const QString &line : qAsConst(lines))
        results.addOutputLine(line);

    const JunitFile parsed = parse(results, limit);
    QVERIFY2(parsed.error.isEmpty(), qPrintable(parsed.error));
    QCOMPARE(parsed.systemOut, systemOut);
}

void TestJunitReport::testWriteFile()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    RunResults results;
    results.setSuiteName("TestDeliveries");
    results.addVerdict(verdict(TestVerdict::Outcome::Pass, "initTestCase"), {});

    QString error;
    QVERIFY(!JunitReport().writeFile(results, dir.filePath("missing/report.xml"), &error));
    QVERIFY(!error.isEmpty());

    QFile stale(dir.filePath("report.xml"));
    QVERIFY(stale.open(QIODevice::WriteOnly));
    stale.write("<testsuite name=\"earlier run\" tests=\"99\"/>");
    stale.close();
    QVERIFY2(JunitReport().writeFile(results, stale.fileName(), &error), qPrintable(error));
    QVERIFY(stale.open(QIODevice::ReadOnly));
    const JunitFile parsed = JunitFile::parse(stale.readAll());
    QVERIFY2(parsed.error.isEmpty(), qPrintable(parsed.error));
    QCOMPARE(parsed.names(), QStringList{"initTestCase"});
}

QTEST_GUILESS_MAIN(TestJunitReport)
#include "tst_junitreport.moc"
