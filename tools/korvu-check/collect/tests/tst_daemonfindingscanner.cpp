#include "collect/daemonfindingscanner.h"

#include <QJsonDocument>
#include <QtTest>

namespace {

// A valgrind error as the tool writes it, its process id in every line.
const QStringList valgrindInvalidRead = {
    "==31337== Invalid read of size 8",
    "==31337==    at 0x4A2B3C: DeliveryStore::find(QUuid const&) (deliverystore.cpp:57)",
    "==31337==    by 0x4A3D4E: PlavoDeliveryHandler::RemoveDelivery(QMap<QString, QVariant> const&) "
    "(plavodeliveryhandler.cpp:93)",
    "==31337==  Address 0x5c3e0a8 is 8 bytes inside a block of size 48 free'd",
    "==31337==    at 0x48399AB: operator delete(void*) (vg_replace_malloc.c:802)",
    "==31337== ",
};

} // namespace

class TestDaemonFindingScanner : public QObject
{
    Q_OBJECT
private slots:
    void testReports_data();
    void testReports();
    void testSignalsTheSuiteDidNotSend();
};

void TestDaemonFindingScanner::testReports_data()
{
    // Lines of the suite's log; "@function:row" switches to another function and row.
    QTest::addColumn<QStringList>("lines");
    // "kind in test: lines", one per finding.
    QTest::addColumn<QStringList>("findings");

    QTest::newRow("valgrind error, up to its blank line")
        << QStringList{"@testRemoveDelivery:"} + valgrindInvalidRead + QStringList{"==31337== more, not the report"}
        << QStringList{"valgrind in testRemoveDelivery: 5"};
    QTest::newRow("the daemon's own lines amid a valgrind report are not part of it")
        << QStringList{"@testAvailable:gate, scanner", valgrindInvalidRead.at(0), "Thing added",
                       valgrindInvalidRead.at(1), "==31337== "}
        << QStringList{"valgrind in testAvailable(gate, scanner): 2"};
    QTest::newRow("valgrind summary counts once with its reports")
        << QStringList{"@testRemoveDelivery:"} + valgrindInvalidRead
               + QStringList{"==31337== ERROR SUMMARY: 1 errors from 1 contexts (suppressed: 0 from 0)"}
        << QStringList{"valgrind in testRemoveDelivery: 5"};
    QTest::newRow("valgrind summary alone")
        << QStringList{"@testAddDelivery:", "==77== ERROR SUMMARY: 3 errors from 2 contexts (suppressed: 0 from 0)"}
        << QStringList{"valgrind in testAddDelivery: 1"};
    QTest::newRow("valgrind leak record")
        << QStringList{"@cleanupTestCase:",
                       "==77== 24 (16 direct, 8 indirect) bytes in 1 blocks are definitely lost in loss record 3 of 9",
                       "==77==    at 0x483877F: malloc (vg_replace_malloc.c:307)", "==77=="}
        << QStringList{"valgrind in cleanupTestCase: 2"};
    QTest::newRow("AddressSanitizer, up to its summary")
        << QStringList{"@testAvailable:No gate, no scanner",
                       "==4242==ERROR: AddressSanitizer: heap-use-after-free on address 0x602000000010 at pc 0x55d0",
                       "READ of size 4 at 0x602000000010 thread T0",
                       "    #0 0x55d0c0a1b2c2 in DeliveryService::status() const deliveryservice.cpp:88",
                       "SUMMARY: AddressSanitizer: heap-use-after-free deliveryservice.cpp:88",
                       "Connected to korvu"}
        << QStringList{"AddressSanitizer in testAvailable(No gate, no scanner): 4"};
    QTest::newRow("LeakSanitizer") << QStringList{"@cleanupTestCase:",
                                                  "==4242==ERROR: LeakSanitizer: detected memory leaks",
                                                  "",
                                                  "Direct leak of 32 byte(s) in 1 object(s) allocated from:",
                                                  "    #0 0x7f3a in operator new(unsigned long)",
                                                  "SUMMARY: AddressSanitizer: 32 byte(s) leaked in 1 allocation(s)."}
                                   << QStringList{"LeakSanitizer in cleanupTestCase: 5"};
    QTest::newRow("UndefinedBehaviorSanitizer, one line")
        << QStringList{"@testDelivery:granted",
                       "/src/experience/gatecycle.cpp:71:23: runtime error: signed integer "
                       "overflow: 2147483647 + 1 cannot be represented in type 'int'",
                       "SUMMARY: UndefinedBehaviorSanitizer: undefined-behavior /src/experience/gatecycle.cpp:71:23"}
        << QStringList{"UndefinedBehaviorSanitizer in testDelivery(granted): 1"};
    QTest::newRow("ThreadSanitizer, up to its rule")
        << QStringList{"@testDelivery:granted",
                       "==================",
                       "WARNING: ThreadSanitizer: data race (pid=4242)",
                       "  Write of size 8 at 0x7b0c00000010 by thread T2:",
                       "    #0 ScannerListener::onEvent() scannerlistener.cpp:40",
                       "==================",
                       "ThreadSanitizer: reported 1 warnings"}
        << QStringList{"ThreadSanitizer in testDelivery(granted): 3"};
    QTest::newRow("outside functions: the hook that runs then")
        << QStringList{"@:", "src/a.cpp:1:2: runtime error: load of null pointer", "@testAddDelivery:", "Thing added",
                       "@:", "src/a.cpp:3:4: runtime error: load of null pointer"}
        << QStringList{"UndefinedBehaviorSanitizer in initTestCase: 1",
                       "UndefinedBehaviorSanitizer in cleanupTestCase: 1"};
    QTest::newRow("a report cut short by the daemon's end")
        << QStringList{"@testDeliveryPersistence:", "==9==ERROR: AddressSanitizer: SEGV on unknown address 0x000",
                       "==9==The signal is caused by a READ memory access."}
        << QStringList{"AddressSanitizer in testDeliveryPersistence: 2"};
    QTest::newRow("valgrind without errors, the daemon's and the suite's ordinary lines")
        << QStringList{"@initTestCase:",
                       "==77== Memcheck, a memory error detector",
                       "==77== ERROR SUMMARY: 0 errors from 0 contexts (suppressed: 0 from 0)",
                       "Running in: /tmp/korvu-check-x/tests/auto/deliveries",
                       "I | ThingManager: Loaded plug-in DeliveryMocks",
                       "W | Experiences: runtime error: the gate did not answer",
                       "WARNING: no ThreadSanitizer here",
                       "==12== Warning: set address range perms: large range",
                       "ERROR: AddressSanitizer mentioned in passing"}
        << QStringList();
}

void TestDaemonFindingScanner::testReports()
{
    QFETCH(QStringList, lines);
    QFETCH(QStringList, findings);

    DaemonFindingScanner scanner;
    QStringList found;
    scanner.setFindingHandler([&found](const DaemonFinding &finding) {
        found.append(
            QStringLiteral("%1 in %2: %3").arg(finding.kindName(), finding.testName()).arg(finding.lines.size()));
    });
    QString function;
    QString row;
    for (const QString &line : qAsConst(lines)) {
        if (line.startsWith('@')) {
            function = line.mid(1).section(':', 0, 0);
            row = line.section(':', 1);
            continue;
        }
        scanner.addLine(function, row, line);
    }
    scanner.finish();
    QCOMPARE(found, findings);
}

void TestDaemonFindingScanner::testSignalsTheSuiteDidNotSend()
{
    const QByteArray trace = R"({"kind":"daemonStart","pid":10,"function":"initTestCase","row":""}
{"kind":"daemonKill","pid":10,"function":"testDeliveryPersistence","row":""}
{"kind":"daemonExit","pid":10,"exitStatus":"crash","exitCode":9,"function":"testDeliveryPersistence","row":""}
{"kind":"daemonExit","pid":11,"exitStatus":"crash","exitCode":11,"function":"testDelivery","row":"granted"}
{"kind":"daemonExit","pid":12,"exitStatus":"normal","exitCode":1,"function":"testDelivery","row":"refused"})";
    QVector<QJsonObject> entries;
    for (const QByteArray &line : trace.split('\n'))
        entries.append(QJsonDocument::fromJson(line).object());

    const QVector<DaemonFinding> findings = DaemonFindingScanner::signalFindings(entries);
    QCOMPARE(findings.size(), 1);
    QCOMPARE(findings.constFirst().testName(), QStringLiteral("testDelivery(granted)"));
    QCOMPARE(findings.constFirst().lines,
             QStringList{"korvud (pid 11) died of signal 11 (Segmentation fault), which the suite did not send"});
}

QTEST_GUILESS_MAIN(TestDaemonFindingScanner)
#include "tst_daemonfindingscanner.moc"
