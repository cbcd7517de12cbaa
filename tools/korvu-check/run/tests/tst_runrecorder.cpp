#include "reports/console/progressreport.h"
#include "run/runrecorder.h"
#include "tests/verdicts.h"

#include <QtTest>

// What the results and the reporters hear of a suite process, in order.
class TestRunRecorder : public QObject
{
    Q_OBJECT
private slots:
    void testSignalFindingOfTraceShowsLive();
};

// A daemon killed by a signal the suite did not send is only in the trace,
// read once the process ended; its row's verdict came before.
void TestRunRecorder::testSignalFindingOfTraceShowsLive()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString traceFile = dir.filePath(QStringLiteral("trace.jsonl"));
    QFile trace(traceFile);
    QVERIFY(trace.open(QIODevice::WriteOnly));
    trace.write(R"({"kind":"daemonExit","pid":11,"exitStatus":"crash","exitCode":11,"function":"testA","row":"r"})"
                "\n");
    trace.close();

    RunRecorder recorder;
    QString text;
    QTextStream out(&text);
    QTextStream err(stderr);
    recorder.reporters().add(std::make_unique<ProgressReport>(out, err));
    const RunResults::Origin origin;
    recorder.verdictRead(origin, verdict(TestVerdict::Outcome::Pass, QStringLiteral("testA"), QStringLiteral("r")));
    recorder.processEnded(origin, std::nullopt, traceFile);
    out.flush();

    QCOMPARE(
        text.split(QLatin1Char('\n')).mid(0, 3),
        (QStringList{"PASS  testA(r)  0.00 s", "FINDING signal in testA(r)",
                     "      korvud (pid 11) died of signal 11 (Segmentation fault), which the suite did not send"}));
    QCOMPARE(recorder.results().findings().size(), 1);
}

QTEST_GUILESS_MAIN(TestRunRecorder)
#include "tst_runrecorder.moc"
