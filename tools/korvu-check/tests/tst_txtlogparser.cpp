#include "txtlogparser.h"

#include <QtTest>

namespace {

// "LABEL|function|row|message lines joined by \n|location"
QString describe(const TestVerdict &verdict)
{
    return QStringList({verdict.label(), verdict.function, verdict.row, verdict.messageLines.join(QLatin1Char('\n')),
                        verdict.location})
        .join(QLatin1Char('|'));
}

QStringList parse(const QStringList &lines)
{
    TxtLogParser parser;
    QStringList verdicts;
    for (const QString &line : lines) {
        parser.addLine(line, 0);
        const QVector<TestVerdict> completed = parser.takeCompleted();
        for (const TestVerdict &verdict : completed)
            verdicts.append(describe(verdict));
    }
    parser.finish();
    const QVector<TestVerdict> completed = parser.takeCompleted();
    for (const TestVerdict &verdict : completed)
        verdicts.append(describe(verdict));
    return verdicts;
}

} // namespace

class TestTxtLogParser : public QObject
{
    Q_OBJECT
private slots:
    void testVerdicts_data();
    void testVerdicts();
    void testSecondsBetweenVerdicts();
    void testTotalsAndCurrentTest();
};

void TestTxtLogParser::testVerdicts_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QStringList>("verdicts");

    QTest::newRow("pass without row") << QStringList{"PASS   : TestDeliveries::initTestCase()"}
                                      << QStringList{"PASS|initTestCase|||"};
    QTest::newRow("row with parentheses and commas")
        << QStringList{"PASS   : TestDeliveries::testDelivery(granted (code with spaces), late)"}
        << QStringList{"PASS|testDelivery|granted (code with spaces), late||"};
    QTest::newRow("failure with continuation and location")
        << QStringList{"FAIL!  : TestDeliveries::testAddDelivery(with notification) 'ok' returned FALSE. (first",
                       "second)", "   Loc: [/src/testdeliveries.cpp(120)]"}
        << QStringList{"FAIL|testAddDelivery|with notification|'ok' returned FALSE. "
                       "(first\nsecond)|/src/testdeliveries.cpp(120)"};
    QTest::newRow("failure in a row with parentheses")
        << QStringList{"FAIL!  : T::testDelivery(granted (no calendar item)) 'x' returned FALSE. ()",
                       "   Loc: [t.cpp(9)]"}
        << QStringList{"FAIL|testDelivery|granted (no calendar item)|'x' returned FALSE. ()|t.cpp(9)"};
    QTest::newRow("compare failure")
        << QStringList{"FAIL!  : T::testGetDeliveries(10) Compared values are not the same", "   Actual   (count): 9",
                       "   Expected (10)   : 10", "   Loc: [t.cpp(30)]"}
        << QStringList{"FAIL|testGetDeliveries|10|Compared values are not the same\n   Actual   (count): 9\n"
                       "   Expected (10)   : 10|t.cpp(30)"};
    QTest::newRow("message lines that resemble tags")
        << QStringList{"FAIL!  : T::f() reply:", "PASS: not a verdict", "QDEBUG:also not", "   Loc: [t.cpp(1)]"}
        << QStringList{"FAIL|f||reply:\nPASS: not a verdict\nQDEBUG:also not|t.cpp(1)"};
    QTest::newRow("failure without location ends at the next line of the log")
        << QStringList{"FAIL!  : T::f() gone", "more", "QWARN  : T::f() later", "PASS   : T::cleanupTestCase()"}
        << QStringList{"FAIL|f||gone\nmore|", "PASS|cleanupTestCase|||"};
    QTest::newRow("skip with reason") << QStringList{"SKIP   : T::testSkipped() no scanner here", "   Loc: [t.cpp(40)]"}
                                      << QStringList{"SKIP|testSkipped||no scanner here|t.cpp(40)"};
    QTest::newRow("expected failure, then the verdict")
        << QStringList{"XFAIL  : T::f(a) known", "   Loc: [t.cpp(8)]", "PASS   : T::f(a)"}
        << QStringList{"XFAIL|f|a|known|t.cpp(8)", "PASS|f|a||"};
    QTest::newRow("unexpected pass") << QStringList{"XPASS  : T::f() 'true' returned TRUE unexpectedly. ()",
                                                    "   Loc: [t.cpp(9)]"}
                                     << QStringList{"XPASS|f||'true' returned TRUE unexpectedly. ()|t.cpp(9)"};
    QTest::newRow("blacklisted") << QStringList{"BPASS  : T::f()", "BFAIL  : T::g(r) bad", "   Loc: [t.cpp(2)]"}
                                 << QStringList{"BPASS|f|||", "BFAIL|g|r|bad|t.cpp(2)"};
    QTest::newRow("debug output is not a verdict")
        << QStringList{"********* Start testing of T *********",
                       "Config: Using QtTest library 5.15.8",
                       "QDEBUG : T::f(row) daemon says",
                       "multi-line",
                       "INFO   : T::f(row) entering",
                       "PASS   : T::f(row)",
                       "Totals: 1 passed, 0 failed, 0 skipped, 0 blacklisted, 3ms"}
        << QStringList{"PASS|f|row||"};
    QTest::newRow("namespaced test class")
        << QStringList{"PASS   : korvu::TestDeliveries::testAvailable(No gate, no scanner)"}
        << QStringList{"PASS|testAvailable|No gate, no scanner||"};
    QTest::newRow("unbalanced row name of a pass")
        << QStringList{"PASS   : T::f(smile :))"} << QStringList{"PASS|f|smile :)||"};
}

void TestTxtLogParser::testVerdicts()
{
    QFETCH(QStringList, lines);
    QFETCH(QStringList, verdicts);
    QCOMPARE(parse(lines), verdicts);
}

void TestTxtLogParser::testSecondsBetweenVerdicts()
{
    TxtLogParser parser;
    parser.addLine(QStringLiteral("PASS   : T::initTestCase()"), 500);
    parser.addLine(QStringLiteral("QDEBUG : T::f() busy"), 700);
    parser.addLine(QStringLiteral("XFAIL  : T::f() known"), 800);
    parser.addLine(QStringLiteral("   Loc: [t.cpp(8)]"), 800);
    parser.addLine(QStringLiteral("PASS   : T::f()"), 1000);
    parser.addLine(QStringLiteral("FAIL!  : T::g() no"), 3000);
    parser.finish();

    const QVector<TestVerdict> verdicts = parser.takeCompleted();
    QCOMPARE(verdicts.size(), 4);
    QCOMPARE(verdicts.at(0).seconds, 0.5);
    QCOMPARE(verdicts.at(1).seconds, 0.3);
    // An expected failure does not end the function: its verdict counts from the start.
    QCOMPARE(verdicts.at(2).seconds, 0.5);
    QCOMPARE(verdicts.at(3).seconds, 2.0);
}

void TestTxtLogParser::testTotalsAndCurrentTest()
{
    TxtLogParser parser;
    QCOMPARE(parser.testClass(), QString());
    parser.addLine(QStringLiteral("********* Start testing of korvu::TestDeliveries *********"), 0);
    QCOMPARE(parser.testClass(), QStringLiteral("korvu::TestDeliveries"));
    QCOMPARE(parser.addLine(QStringLiteral("QDEBUG : T::testDelivery(granted (no calendar item)) scan"), 0),
             TxtLogParser::LineKind::Other);
    QCOMPARE(parser.lastTestName(), QStringLiteral("testDelivery(granted (no calendar item))"));
    QVERIFY(!parser.sawTotals());
    QCOMPARE(parser.addLine(QStringLiteral("Totals: 0 passed, 0 failed, 0 skipped, 0 blacklisted, 1ms"), 0),
             TxtLogParser::LineKind::Other);
    QVERIFY(parser.sawTotals());
}

QTEST_GUILESS_MAIN(TestTxtLogParser)
#include "tst_txtlogparser.moc"
