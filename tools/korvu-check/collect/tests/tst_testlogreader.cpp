#include "collect/testlogreader.h"

#include <QtTest>

namespace {

const QByteArray logStart = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                            "<TestCase name=\"TestDeliveries\">\n"
                            "<Environment>\n"
                            "    <QtVersion>5.15.8</QtVersion>\n"
                            "    <QTestVersion>5.15.8</QTestVersion>\n"
                            "</Environment>\n";
const QByteArray logEnd = "<Duration msecs=\"12.5\"/>\n</TestCase>\n";

QByteArray function(const QByteArray &name, const QByteArray &body)
{
    return "<TestFunction name=\"" + name + "\">\n" + body + "    <Duration msecs=\"1.5\"/>\n</TestFunction>\n";
}

QByteArray pass(const QByteArray &row = QByteArray())
{
    if (row.isEmpty())
        return "<Incident type=\"pass\" file=\"\" line=\"0\" />\n";
    return "<Incident type=\"pass\" file=\"\" line=\"0\">\n    <DataTag><![CDATA[" + row
           + "]]></DataTag>\n</Incident>\n";
}

QByteArray entry(const QByteArray &element, const QByteArray &type, const QByteArray &row,
                 const QByteArray &description, const QByteArray &file = QByteArray(), int line = 0)
{
    QByteArray xml = "<" + element + " type=\"" + type + "\" file=\"" + file + "\" line=\"" + QByteArray::number(line)
                     + "\">\n";
    if (!row.isEmpty())
        xml += "    <DataTag><![CDATA[" + row + "]]></DataTag>\n";
    return xml + "    <Description><![CDATA[" + description + "]]></Description>\n</" + element + ">\n";
}

// "LABEL|function|row|message lines joined by \n|location"
QString describe(const TestVerdict &verdict)
{
    return QStringList({verdict.label(), verdict.function, verdict.row, verdict.messageLines.join(QLatin1Char('\n')),
                        verdict.location})
        .join(QLatin1Char('|'));
}

QStringList readInChunks(const QByteArray &log, int chunkSize)
{
    TestLogReader reader;
    QStringList verdicts;
    reader.setVerdictHandler([&verdicts](const TestVerdict &verdict) { verdicts.append(describe(verdict)); });
    for (int i = 0; i < log.size(); i += chunkSize)
        reader.addData(log.mid(i, chunkSize), 0);
    return verdicts;
}

} // namespace

class TestTestLogReader : public QObject
{
    Q_OBJECT
private slots:
    void testVerdicts_data();
    void testVerdicts();
    void testMessages();
    void testSecondsBetweenVerdicts();
    void testEndAndCurrentTest();
    void testOutputThatIsNoLog();
};

void TestTestLogReader::testVerdicts_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QStringList>("verdicts");

    QTest::newRow("pass without row") << function("initTestCase", pass()) << QStringList{"PASS|initTestCase|||"};
    QTest::newRow("row with parentheses and commas")
        << function("testDelivery", pass("granted (code with spaces), late"))
        << QStringList{"PASS|testDelivery|granted (code with spaces), late||"};
    QTest::newRow("failure with lines and location")
        << function("testAddDelivery",
                    entry("Incident", "fail", "with notification", "'ok' returned FALSE. (first\nsecond)",
                          "/src/test&#x002D;deliveries.cpp", 120))
        << QStringList{"FAIL|testAddDelivery|with notification|'ok' returned FALSE. (first\nsecond)|"
                       "/src/test-deliveries.cpp(120)"};
    QTest::newRow("markup in a description, split as the framework writes it")
        << function("f", entry("Incident", "fail", "r", "a ]]]><![CDATA[]> b &amp; <c>", "t.cpp", 3))
        << QStringList{"FAIL|f|r|a ]]> b &amp; <c>|t.cpp(3)"};
    QTest::newRow("a skip ends its row") << function("f", entry("Message", "skip", "r", "no scanner here", "t.cpp", 4))
                                         << QStringList{"SKIP|f|r|no scanner here|t.cpp(4)"};
    QTest::newRow("expected failure, then the verdict")
        << function("f", entry("Incident", "xfail", "", "known", "t.cpp", 8) + pass())
        << QStringList{"XFAIL|f||known|t.cpp(8)", "PASS|f|||"};
    QTest::newRow("unexpected pass") << function("f", entry("Incident", "xpass", "", "'x' returned TRUE.", "t.cpp", 9))
                                     << QStringList{"XPASS|f||'x' returned TRUE.|t.cpp(9)"};
    QTest::newRow("blacklisted") << function("f", "<Incident type=\"bpass\" file=\"\" line=\"0\" />\n")
                                        + function("g", entry("Incident", "bfail", "r", "bad", "t.cpp", 2))
                                 << QStringList{"BPASS|f|||", "BFAIL|g|r|bad|t.cpp(2)"};
    QTest::newRow("messages are no verdicts")
        << function("f", entry("Message", "qdebug", "row", "daemon says\nmore") + pass("row"))
        << QStringList{"PASS|f|row||"};
}

void TestTestLogReader::testVerdicts()
{
    QFETCH(QByteArray, body);
    QFETCH(QStringList, verdicts);

    const QByteArray log = logStart + body + logEnd;
    QCOMPARE(readInChunks(log, log.size()), verdicts);
    // The log arrives in pieces while the suite runs; any cut gives the same.
    QCOMPARE(readInChunks(log, 1), verdicts);
    QCOMPARE(readInChunks(log, 7), verdicts);
}

void TestTestLogReader::testMessages()
{
    TestLogReader reader;
    QStringList lines;
    reader.setMessageHandler(
        [&lines, &reader](const TestMessage &message) { lines.append(message.logLine(reader.testClass())); });
    reader.addData(logStart
                       + function("initTestCase", entry("Message", "qdebug", "", "Running in: \"/tmp/r\"")
                                                      + entry("Message", "qwarn", "", "Korvu state changed:") + pass())
                       + function("testDelivery", entry("Message", "system", "DPD Prio", "critical")
                                                      + entry("Message", "info", "DPD Prio", "QVERIFY(isOpen)")
                                                      + entry("Message", "warn", "DPD Prio", "Maximum amount"))
                       + logEnd,
                   0);
    QCOMPARE(lines, (QStringList{
                        "QDEBUG : TestDeliveries::initTestCase() Running in: \"/tmp/r\"",
                        "QWARN  : TestDeliveries::initTestCase() Korvu state changed:",
                        "QSYSTEM: TestDeliveries::testDelivery(DPD Prio) critical",
                        "INFO   : TestDeliveries::testDelivery(DPD Prio) QVERIFY(isOpen)",
                        "WARNING: TestDeliveries::testDelivery(DPD Prio) Maximum amount",
                    }));
}

void TestTestLogReader::testSecondsBetweenVerdicts()
{
    TestLogReader reader;
    QVector<TestVerdict> verdicts;
    reader.setVerdictHandler([&verdicts](const TestVerdict &verdict) { verdicts.append(verdict); });
    reader.addData(logStart + "<TestFunction name=\"initTestCase\">\n" + pass(), 500);
    reader.addData("</TestFunction>\n<TestFunction name=\"f\">\n" + entry("Message", "qdebug", "", "busy"), 700);
    reader.addData(entry("Incident", "xfail", "", "known", "t.cpp", 8), 800);
    reader.addData(pass() + "</TestFunction>\n", 1000);
    reader.addData(function("g", entry("Incident", "fail", "", "no", "t.cpp", 1)), 3000);

    QCOMPARE(verdicts.size(), 4);
    QCOMPARE(verdicts.at(0).seconds, 0.5);
    QCOMPARE(verdicts.at(1).seconds, 0.3);
    // An expected failure does not end the function: its verdict counts from the start.
    QCOMPARE(verdicts.at(2).seconds, 0.5);
    QCOMPARE(verdicts.at(3).seconds, 2.0);
}

void TestTestLogReader::testEndAndCurrentTest()
{
    TestLogReader reader;
    QCOMPARE(reader.testClass(), QString());
    reader.addData(logStart, 0);
    QCOMPARE(reader.testClass(), QStringLiteral("TestDeliveries"));
    reader.addData("<TestFunction name=\"testDelivery\">\n" + pass("wrong code"), 0);
    QCOMPARE(reader.lastTestName(), QStringLiteral("testDelivery(wrong code)"));
    QVERIFY(reader.lastTestEnded());
    reader.addData(entry("Message", "qdebug", "granted (no calendar item)", "scan"), 0);
    QCOMPARE(reader.lastTestName(), QStringLiteral("testDelivery(granted (no calendar item))"));
    QVERIFY(!reader.lastTestEnded());
    QVERIFY(!reader.isComplete());
    reader.addData(pass("granted (no calendar item)") + "</TestFunction>\n" + logEnd, 0);
    QVERIFY(reader.isComplete());
    QVERIFY(!reader.hasError());
}

void TestTestLogReader::testOutputThatIsNoLog()
{
    TestLogReader reader;
    int verdicts = 0;
    reader.setVerdictHandler([&verdicts](const TestVerdict &) { ++verdicts; });
    reader.addData("testAvailable()\ntestDelivery()\n", 0);
    QVERIFY(reader.hasError());
    QVERIFY(!reader.errorString().isEmpty());
    reader.addData(logStart + function("f", pass()) + logEnd, 0);
    QCOMPARE(verdicts, 0);
    QVERIFY(!reader.isComplete());
}

QTEST_GUILESS_MAIN(TestTestLogReader)
#include "tst_testlogreader.moc"
