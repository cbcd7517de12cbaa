// Runs korvu-check with the real suite against the scripted daemon, one
// misbehaving scenario per row, and checks that each failure is shown with the
// exchange that explains it, and that a report in the daemon's output is
// shown under the row it came in.
#include "run/isolation/networkisolation.h"
#include "tests/junitfile.h"
#include "tests/scenariocheck.h"

#include <QtTest>

namespace {

const int runTimeoutMsecs = 120000;

const QString gateId = QStringLiteral("7e1e0000-0000-4000-8000-000000000001");
const QString deliveryId = QStringLiteral("de11ce00-0000-4000-8000-000000000001");
const QString scanPath = QStringLiteral(
    "GET :6656/generateevent?eventTypeId=0da90af2-90bc-43a6-bcdc-e50c39dbb8bf&content=");

// The failure report: from "Failures:" to the wall time.
QString failures(const QString &out)
{
    const int start = out.indexOf(QLatin1String("\nFailures:\n"));
    const int end = out.indexOf(QLatin1String("\nWall time: "));
    return start < 0 || end < start ? QString() : out.mid(start + 1, end - start);
}

} // namespace

class TestFailureTraffic : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void testFailureShowsItsExchanges_data();
    void testFailureShowsItsExchanges();
    void testFindingUnderItsRow();

private:
    QTemporaryDir m_dir;
};

void TestFailureTraffic::initTestCase()
{
    QVERIFY(m_dir.isValid());
    if (!NetworkIsolation::detect().isAvailable())
        QSKIP("Private network namespaces are not available here.");
}

void TestFailureTraffic::testFailureShowsItsExchanges_data()
{
    QTest::addColumn<QString>("scenario");
    QTest::addColumn<QString>("selection");
    // Parts of the failure report, in order.
    QTest::addColumn<QStringList>("shown");

    QTest::newRow("a code with spaces refused: the code registered, the code scanned, the refusal")
        << "codes-exact.json"
        << "testDelivery:granted (code with spaces)"
        << QStringList{"  FAIL testDelivery(granted (code with spaces))",
                       "    exchanges (seconds from the first):",
                       "init: PlavoDelivery.GetDeliveries {} -> success {\"deliveries\":[]}",
                       "\"trackingCode\":\"73 0291 8465\"}} -> success {\"deliveryError\":\"DeliveryErrorNoError\","
                       "\"deliveryId\":\""
                           + deliveryId + "\"}",
                       scanPath + "7302918465 -> 200 \"Event emitted\\n\"",
                       "GET :6656/actionhistory -> 200 \"{03b1abeb-4589-44f9-849b-03a1465ef015}\\n\"",
                       "    (clean-up afterwards: 6 exchanges)"};
    QTest::newRow("a gate that never opens: its state, read five times")
        << "gate-never-opens.json"
        << "testDelivery:granted (no calendar item)"
        << QStringList{"'isOpen' returned FALSE. (Garage did not open)",
                       "GET :6655/actionhistory -> 200 \"{2eb6135e-579f-4b9a-be7b-785d664a3875}\\n\"",
                       QStringLiteral("Integrations.GetStateValue {\"stateTypeId\":\"61ebba3f-02b2-472c-90e4-"
                                      "2ddb292e6ee9\",\"thingId\":\"%1\"} -> success {\"thingError\":"
                                      "\"ThingErrorNoError\",\"value\":\"closed\"}  [61ebba3f = gate state]  (x5)")
                           .arg(gateId)};
    QTest::newRow("an add refused: the reply's status")
        << "add-status-error.json"
        << "testAddDelivery:valid name, valid gate, valid scanner, valid code"
        << QStringList{"Unexpected result adding delivery:",
                       "\"trackingCode\":\"864\"}} -> error {\"deliveryError\":\"DeliveryErrorNoError\","
                       "\"deliveryId\":\""
                           + deliveryId + "\"}"};
    QTest::newRow("a listing without the name: the field missing under the message")
        << "listing-without-name.json"
        << "testAddDelivery:valid name, valid gate, valid scanner, valid code"
        << QStringList{"Delivery not matching after AddDelivery and GetDeliveries.",
                       "    difference:", "      name: missing, expected \"",
                       "PlavoDelivery.GetDeliveries {} -> success"};
    QTest::newRow("two replies read as one: both, and whose they are")
        << "late-reply-with-next-reply.json"
        << "testAvailable:gate, scanner"
        << QStringList{"Integrations.AddThing {\"name\":\"Scanner\",\"thingClassId\":\"b16048e7-9c24-4ec1-a7bf-"
                       "7fd20ee4c813\"} -> no reply within ",
                       "PlavoDelivery.Status {} -> not one JSON object: \"{\\\"id\\\":"};
    QTest::newRow("a Hello without experiences: the reply")
        << "hello-without-experiences.json"
        << "testAvailable"
        << QStringList{"  FAIL initTestCase", "start korvud -n -d ThingManager", "connect 127.0.0.1:2222 -> connected",
                       "JSONRPC.Hello {} -> success {\"authenticationRequired\":false,\"server\":\"korvud\","
                       "\"version\":\"0.2\"} (reply id 7, request id "};
    QTest::newRow("a history that answers 500: its status")
        << "notification-port-error.json"
        << "testDelivery:granted (no calendar item)"
        << QStringList{"GET :6657/actionhistory -> 500 InternalServerError"};
    QTest::newRow("a removal lost in a restart: the kill, the start, the listing")
        << "removal-not-persisted.json"
        << "testDeliveryPersistence"
        << QStringList{"PlavoDelivery.RemoveDelivery {\"deliveryId\":\"" + deliveryId
                           + "\"} -> success {\"deliveryError\":\"DeliveryErrorNoError\"}",
                       "kill pid ",
                       "ended by signal 9",
                       "start korvud -n",
                       "connect 127.0.0.1:2222 -> connected",
                       "PlavoDelivery.GetDeliveries {} -> success {\"deliveries\":[{\"calendarItems\":"};
}

void TestFailureTraffic::testFailureShowsItsExchanges()
{
    QFETCH(QString, scenario);
    QFETCH(QString, selection);
    QFETCH(QStringList, shown);

    const QString junit = m_dir.filePath(scenario + QStringLiteral(".xml"));
    const QString traces = m_dir.filePath(scenario);
    const CheckProcess::Result result = ScenarioCheck::run(
        scenario,
        {"--junit", junit, "--json", CheckProcess::ctrfDocument("failure-" + QFileInfo(scenario).fileName()),
         "--keep-traces", traces, "--", selection},
        runTimeoutMsecs);
    QVERIFY2(result.status > 0, qPrintable(result.out + result.err));

    const QString report = failures(result.out);
    int from = 0;
    for (const QString &part : qAsConst(shown)) {
        const int at = report.indexOf(part, from);
        QVERIFY2(at >= 0, qPrintable(QStringLiteral("missing, or out of order: %1\n%2").arg(part, report)));
        from = at + part.size();
    }

    // The same exchanges stand with the test case, and the whole trace is kept.
    const JunitFile cases = JunitFile::read(junit);
    QVERIFY2(cases.error.isEmpty(), qPrintable(cases.error));
    bool inReport = false;
    for (const JunitFile::TestCase &testCase : cases.cases)
        inReport = inReport
                   || (testCase.result == "failure" && testCase.systemOut.contains(shown.constLast().trimmed()));
    QVERIFY2(inReport, qPrintable(shown.constLast()));
    QFile trace(traces + QStringLiteral("/trace.jsonl"));
    QVERIFY2(trace.open(QIODevice::ReadOnly), qPrintable(trace.fileName()));
    QVERIFY(trace.size() > 0);
}

// A daemon that listens after 6 s and reports a memory fault while it answers
// the first row's request, with every verdict a pass.
void TestFailureTraffic::testFindingUnderItsRow()
{
    const QString junit = m_dir.filePath(QStringLiteral("finding.xml"));
    const CheckProcess::Result result = ScenarioCheck::run(
        QStringLiteral("findings/asan-report-while-answering-status.json"),
        {"--junit", junit, "--json", CheckProcess::ctrfDocument("finding-under-a-row.json"), "--", "testAvailable"},
        runTimeoutMsecs);
    QCOMPARE(result.status, 5);

    const QStringList shown = {
        "korvu-check: korvud has not listened on 127.0.0.1:2222 after 5 s; waiting up to 55 s more",
        "PASS  testAvailable(No gate, no scanner)",
        "FINDING AddressSanitizer in testAvailable(No gate, no scanner)",
        "      ==4242==ERROR: AddressSanitizer: heap-use-after-free on address 0x602000000010",
        "      (3 more lines)",
        "PASS  testAvailable(No gate, scanner)",
        "Findings in korvud's output:\n  AddressSanitizer testAvailable(No gate, no scanner)\n",
        "Findings: 1\n5 passed, 0 failed, 0 skipped"};
    int from = 0;
    for (const QString &part : shown) {
        const int at = result.out.indexOf(part, from);
        QVERIFY2(at >= 0, qPrintable(QStringLiteral("missing, or out of order: %1\n%2").arg(part, result.out)));
        from = at + part.size();
    }

    const JunitFile cases = JunitFile::read(junit);
    QVERIFY2(cases.error.isEmpty(), qPrintable(cases.error));
    QCOMPARE(cases.counts(), QStringLiteral("5/1/0/0"));
    const JunitFile::TestCase &row = cases.cases.at(1);
    QCOMPARE(row.summary(),
             "testAvailable(No gate, no scanner): failure [daemon-finding] AddressSanitizer: ==4242==ERROR: "
             "AddressSanitizer: heap-use-after-free on address 0x602000000010 at pc 0x55d0c0a1b2c3 bp "
             "0x7ffd5e0c1a20 sp 0x7ffd5e0c1a18");
    QCOMPARE(row.systemErr.split('\n').size(), 9);
}

QTEST_GUILESS_MAIN(TestFailureTraffic)
#include "tst_failuretraffic.moc"
