#include "reports/console/runsummary.h"
#include "reports/ctrfdocument.h"
#include "reports/ctrfreport.h"
#include "reports/junitreport.h"
#include "tests/verdicts.h"

#include <QtTest>

namespace {

using O = TestVerdict::Outcome;

RunResults::Origin shard(int number, int repetition)
{
    return {number * 10 + repetition, number, repetition, QStringLiteral("shard %1 (x%1)").arg(number)};
}

RunResults::Run run(TestVerdict verdict, const RunResults::Origin &origin, double seconds,
                    const QStringList &logLines = QStringList())
{
    verdict.seconds = seconds;
    return {verdict, origin, {}, {}, logLines};
}

// Slice 2/3 of a run repeated twice: hooks that failed in one shard, a flaky
// row with its traffic, an expected failure, blacklisted and skipped verdicts,
// findings inside and outside rows, a crash and an error of korvu-check's own.
RunResults sampleResults()
{
    RunResults results;
    RunResults::Environment environment;
    environment.runId = "github-812";
    environment.toolVersion = "0.2";
    environment.daemon = "/opt/korvud";
    environment.daemonSha256 = "ab12";
    environment.suite = "/usr/lib/testdeliveries";
    environment.suiteSha256 = "cd34";
    environment.qtVersion = "5.15.8";
    environment.isolation = "a private network namespace (unshare)";
    environment.wrapCommand = QStringList{"valgrind", "-q"};
    environment.osPlatform = "linux";
    environment.sliceIndex = 2;
    environment.sliceCount = 3;
    environment.repeat = 2;
    results.setEnvironment(environment);
    results.setShardCount(2);
    results.setSuiteFile("testdeliveries");
    results.setSuiteName("TestDeliveries");
    results.setStartTime(QDateTime::fromMSecsSinceEpoch(1796738327123));
    results.setStopTime(QDateTime::fromMSecsSinceEpoch(1796738331456));
    results.setSeconds(4.333);
    results.addOutputLine("[shard-1-run-1] QDEBUG : korvud listening");
    results.setOrder({"initTestCase", "testAvailable", "testDelivery(a)", "testDelivery(b)", "testRemoveDelivery",
                      "cleanupTestCase"});

    for (int repetition = 1; repetition <= 2; ++repetition) {
        for (int number = 1; number <= 2; ++number) {
            const bool fails = repetition == 1 && number == 2;
            TestVerdict hook = fails ? verdict(O::Fail, "initTestCase", QString(), {"no Hello"}, "test.cpp(12)")
                                     : verdict(O::Pass, "initTestCase", QString());
            results.addRun(run(hook, shard(number, repetition), 0.5 * number, {"QDEBUG : started"}));
        }
    }
    RunResults::Run failed = run(
        verdict(O::Fail, "testDelivery", "a",
                {"Delivery not matching.", R"(Expected: {"id": 1, "name": "Parcel"})", R"(Got: {"id": 1})"},
                "testdeliveries.cpp(443)"),
        shard(1, 1), 3.1, {"QWARN : korvud: refused"});
    failed.notes = QStringList{"known race?"};
    failed.exchanges = {QJsonObject{{"kind", "rpc"}, {"t", 1.5}, {"request", R"({"id":1})"}, {"reply", "<b>\u00e9"}}};
    results.addRun(failed);
    results.addRun(run(verdict(O::Pass, "testDelivery", "a"), shard(1, 2), 3.0));
    results.addRun(run(verdict(O::ExpectedFail, "testDelivery", "b", {"known"}), shard(1, 1), 0));
    results.addRun(run(verdict(O::Pass, "testDelivery", "b"), shard(1, 1), 0.02));
    results.addRun(run(verdict(O::Skip, "testDelivery", "b", {"no gate"}), shard(1, 2), 0.01));
    results.addRun(run(verdict(O::BlacklistedFail, "testAvailable", QString(), {"bad"}), shard(2, 1), 0.1));
    results.addRun(run(verdict(O::BlacklistedFail, "testAvailable", QString(), {"bad"}), shard(2, 2), 0.1));
    results.addFinding({DaemonFinding::Kind::AddressSanitizer, "testDelivery", "b", {"==1==ERROR: heap", "READ"}},
                       shard(1, 1));
    results.addFinding({DaemonFinding::Kind::Signal, "testRemoveDelivery", QString(), {"korvud died of signal 11"}},
                       shard(2, 2));
    results.addBreak(
        {"crash", "the suite crashed (signal 11)", "testRemoveDelivery", 0.4, {"last words"}, shard(2, 2)});
    results.addSetupError("korvud did not listen", {"after 60 s"});
    return results;
}

QByteArray junit(const RunResults &results, const QString &fileName)
{
    QString error;
    if (!JunitReport().writeFile(results, fileName, &error))
        return error.toUtf8();
    QFile file(fileName);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestCtrfDocument : public QObject
{
    Q_OBJECT
private slots:
    void testReadBackAsWritten();
    void testRowsAsConsumersSeeThem();
    void testRefusedDocuments_data();
    void testRefusedDocuments();

private:
    QTemporaryDir m_dir;
};

// What merging slices relies on: the results read back give the same
// document and the same reports.
void TestCtrfDocument::testReadBackAsWritten()
{
    const RunResults original = sampleResults();
    const QString fileName = m_dir.filePath("run.json");
    QString error;
    QVERIFY2(CtrfReport().writeFile(original, fileName, &error), qPrintable(error));
    RunResults readBack;
    QVERIFY2(CtrfDocument::read(fileName, &readBack, &error), qPrintable(error));

    QCOMPARE(CtrfReport::document(readBack), CtrfReport::document(original));
    QCOMPARE(RunSummary(readBack).summaryLines(4.3), RunSummary(original).summaryLines(4.3));
    QCOMPARE(junit(readBack, m_dir.filePath("read-back.xml")), junit(original, m_dir.filePath("original.xml")));
}

void TestCtrfDocument::testRowsAsConsumersSeeThem()
{
    const QJsonObject document = CtrfReport::document(sampleResults());
    const QJsonObject results = document.value("results").toObject();
    QCOMPARE(document.value("runId").toString(), QStringLiteral("github-812"));
    QCOMPARE(results.value("environment").toObject().value("shardId").toString(), QStringLiteral("2/3"));

    QStringList tests;
    const QJsonArray all = results.value("tests").toArray();
    for (const QJsonValue &value : all) {
        const QJsonObject test = value.toObject();
        tests.append(QStringLiteral("%1: %2 %3 ms%4 | %5")
                         .arg(test.value("name").toString(), test.value("status").toString())
                         .arg(test.value("duration").toInt())
                         .arg(test.value("flaky").toBool() ? QStringLiteral(" flaky") : QString())
                         .arg(test.value("message").toString().split('\n').constFirst()));
    }
    const QStringList expected = {
        "korvu-check setup: failed 0 ms | korvud did not listen",
        "initTestCase(slice 2/3): failed 2000 ms flaky | flaky: passed 1 of 2 runs",
        "testAvailable: other 200 ms | bad",
        "testDelivery(a): failed 6100 ms flaky | flaky: passed 1 of 2 runs",
        "testDelivery(b): failed 30 ms | AddressSanitizer: ==1==ERROR: heap",
        "testRemoveDelivery: failed 0 ms | signal: korvud died of signal 11",
        "testRemoveDelivery: failed 400 ms | the suite crashed (signal 11) (shard 2 (x2))",
    };
    QCOMPARE(tests, expected);
    const QJsonObject summary = results.value("summary").toObject();
    QCOMPARE(summary.value("tests").toInt(), 7);
    QCOMPARE(summary.value("failed").toInt(), 6);
    QCOMPARE(summary.value("other").toInt(), 1);
    QCOMPARE(summary.value("flaky").toInt(), 2);

    const QJsonObject flaky = all.at(3).toObject();
    // Repetitions ran on purpose: no retries.
    QVERIFY(!flaky.contains("retries"));
    QCOMPARE(flaky.value("trace").toString(), QStringLiteral("testdeliveries.cpp(443)"));
    QVERIFY(flaky.value("stdout").toArray().contains(QStringLiteral("known race?")));
    QCOMPARE(flaky.value("extra").toObject().value("difference").toArray(),
             (QJsonArray{QJsonObject{{"path", "name"}, {"expected", "Parcel"}}}));
}

void TestCtrfDocument::testRefusedDocuments_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("error");

    QTest::newRow("no file") << QByteArray() << "cannot read";
    QTest::newRow("not JSON") << QByteArray("<testsuite/>") << "not a CTRF document, not even a JSON object";
    QTest::newRow("JSON of another kind") << QByteArray(R"({"tests":[]})") << "not a CTRF document";
    QTest::newRow("another tool's") << QByteArray(
        R"({"reportFormat":"CTRF","results":{"tool":{"name":"jest"},"tests":[]}})")
                                    << "a CTRF document of 'jest', not of korvu-check";
    QTest::newRow("a newer korvu-check's")
        << QByteArray(R"({"reportFormat":"CTRF","results":{"tool":{"name":"korvu-check"},"extra":{"format":99}}})")
        << "written by a newer korvu-check";
}

void TestCtrfDocument::testRefusedDocuments()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, error);

    const QString fileName = m_dir.filePath(QTest::currentDataTag());
    if (!content.isEmpty()) {
        QFile file(fileName);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    RunResults results;
    QString message;
    QVERIFY(!CtrfDocument::read(fileName, &results, &message));
    QVERIFY2(message.contains(error), qPrintable(message));
    QVERIFY2(message.contains(fileName), qPrintable(message));
}

QTEST_GUILESS_MAIN(TestCtrfDocument)
#include "tst_ctrfdocument.moc"
