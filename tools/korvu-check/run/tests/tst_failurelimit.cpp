#include "run/failurelimit.h"
#include "tests/verdicts.h"

#include <QtTest>

class TestFailureLimit : public QObject
{
    Q_OBJECT
private slots:
    void testStopsAtTheLimit_data();
    void testStopsAtTheLimit();
};

void TestFailureLimit::testStopsAtTheLimit_data()
{
    QTest::addColumn<int>("maximum");
    QTest::addColumn<bool>("failOnFlaky");
    // One word per event: P pass, F fail, X an expected failure, R a failure
    // that runs again, r a pass on a retry, B a suite process that broke off.
    QTest::addColumn<QString>("events");
    // After which event the run stops, from 1; 0: it goes on.
    QTest::addColumn<int>("stopsAfter");
    QTest::addColumn<QString>("reason");

    QTest::newRow("no limit") << 0 << false << "F F F" << 0 << "";
    QTest::newRow("-x") << 1 << false << "P P F F" << 3 << "not run: stopped after 1 failure";
    QTest::newRow("an expected failure is none") << 1 << false << "X P" << 0 << "";
    QTest::newRow("a retry that passes is no failure")
        << 1 << false << "R r F" << 3 << "not run: stopped after 1 failure";
    QTest::newRow("--fail-on-flaky counts the retry's pass")
        << 1 << true << "R r" << 2 << "not run: stopped after 1 failure";
    QTest::newRow("each repetition's failure and a break")
        << 3 << false << "F P F B F" << 4 << "not run: stopped after 3 failures";
}

void TestFailureLimit::testStopsAtTheLimit()
{
    QFETCH(int, maximum);
    QFETCH(bool, failOnFlaky);
    QFETCH(QString, events);
    QFETCH(int, stopsAfter);
    QFETCH(QString, reason);

    using O = TestVerdict::Outcome;
    FailureLimit limit(maximum, failOnFlaky);
    int stoppedAfter = 0;
    const QStringList words = events.split(QLatin1Char(' '));
    for (int i = 0; i < words.size(); ++i) {
        const QChar event = words.at(i).at(0);
        bool stops = false;
        if (event == QLatin1Char('B'))
            stops = limit.countBreak();
        else if (event == QLatin1Char('X'))
            stops = limit.countVerdict(verdict(O::ExpectedFail, "testA"), 1, false);
        else if (event == QLatin1Char('P') || event == QLatin1Char('r'))
            stops = limit.countVerdict(verdict(O::Pass, "testA"), event == QLatin1Char('r') ? 2 : 1, false);
        else
            stops = limit.countVerdict(verdict(O::Fail, "testA"), 1, event == QLatin1Char('R'));
        if (stops) {
            QCOMPARE(stoppedAfter, 0);
            stoppedAfter = i + 1;
        }
    }
    QCOMPARE(stoppedAfter, stopsAfter);
    QCOMPARE(limit.isReached(), stopsAfter > 0);
    if (stopsAfter > 0)
        QCOMPARE(limit.notRunReason(), reason);
}

QTEST_GUILESS_MAIN(TestFailureLimit)
#include "tst_failurelimit.moc"
