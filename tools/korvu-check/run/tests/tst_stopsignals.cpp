#include "run/stopsignals.h"

#include <QtTest>

#include <csignal>

class TestStopSignals : public QObject
{
    Q_OBJECT
private slots:
    void testNestedInstancesHearEverySignal();
};

// The watch loop spans the checks it runs, each of which makes its own.
void TestStopSignals::testNestedInstancesHearEverySignal()
{
    StopSignals outer;
    QSignalSpy outerHeard(&outer, &StopSignals::stopRequested);
    {
        StopSignals inner;
        QSignalSpy innerHeard(&inner, &StopSignals::stopRequested);
        QCOMPARE(::raise(SIGTERM), 0);
        QTRY_COMPARE(innerHeard.count(), 1);
        QCOMPARE(innerHeard.at(0).at(0).toInt(), SIGTERM);
        QCOMPARE(outerHeard.count(), 1);
    }
    // The inner one's end leaves the handlers in place: without them the
    // signal would end this process.
    QCOMPARE(::raise(SIGINT), 0);
    QTRY_COMPARE(outerHeard.count(), 2);
    QCOMPARE(StopSignals::received(), SIGTERM);
}

QTEST_GUILESS_MAIN(TestStopSignals)
#include "tst_stopsignals.moc"
