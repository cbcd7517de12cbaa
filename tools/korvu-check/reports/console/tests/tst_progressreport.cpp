#include "reports/console/progressreport.h"
#include "tests/verdicts.h"

#include <QBuffer>
#include <QtTest>

// One thing that happens while a check runs, in the order the console meets it.
struct ProgressStep
{
    enum class Kind { Verdict, Finding, ProcessEnd, ProbeStart, ProbeSlow, ProbeListening, ProbeFailed, Mark };

    Kind kind = Kind::Verdict;
    int shard = 0; // 0: the suite as one process
    TestVerdict verdict;
    int attempt = 1;
};
Q_DECLARE_METATYPE(QVector<ProgressStep>)

class TestProgressReport : public QObject
{
    Q_OBJECT
private slots:
    void testLines_data();
    void testLines();
};

namespace {

using Kind = ProgressStep::Kind;
using Outcome = TestVerdict::Outcome;

ProgressStep step(Kind kind, int shard = 0) { return {kind, shard, TestVerdict(), 1}; }

ProgressStep verdictStep(const TestVerdict &verdict, int shard = 0, int attempt = 1)
{
    return {Kind::Verdict, shard, verdict, attempt};
}

// A finding is told by the function and row it came in.
ProgressStep findingStep(const QString &function, const QString &row, int shard = 0)
{
    return {Kind::Finding, shard, verdict(Outcome::Pass, function, row), 1};
}

RunResults::Origin originOf(const ProgressStep &step)
{
    RunResults::Origin origin;
    origin.job = step.shard;
    origin.shard = step.shard;
    if (step.shard > 0)
        origin.shardName = QStringLiteral("shard %1 (testA)").arg(step.shard);
    origin.attempt = step.attempt;
    return origin;
}

} // namespace

void TestProgressReport::testLines_data()
{
    QTest::addColumn<int>("retries");
    QTest::addColumn<QVector<ProgressStep>>("steps");
    QTest::addColumn<QStringList>("lines");

    const TestVerdict pass = verdict(Outcome::Pass, "testA", "r");
    const TestVerdict fail = verdict(Outcome::Fail, "testA", "r", {"'granted' returned FALSE."});
    const TestVerdict hookFailure = verdict(Outcome::Fail, "initTestCase", QString(), {"no daemon", "at all"});

    QTest::newRow("a finding shows under the row it came in")
        << 0 << QVector<ProgressStep>{findingStep("testA", "r"), verdictStep(pass)}
        << QStringList{"PASS  testA(r)  0.00 s", "FINDING valgrind in testA(r)", "      invalid read"};
    QTest::newRow("a finding of a row without a verdict shows when its process ends")
        << 0
        << QVector<ProgressStep>{findingStep("testB", QString()), verdictStep(pass), step(Kind::Mark),
                                 step(Kind::ProcessEnd)}
        << QStringList{"PASS  testA(r)  0.00 s", "|", "FINDING valgrind in testB", "      invalid read"};
    QTest::newRow("a hook that fails in every shard shows its message once")
        << 0 << QVector<ProgressStep>{verdictStep(hookFailure, 1), verdictStep(hookFailure, 2)}
        << QStringList{"FAIL  initTestCase  0.00 s  [shard 1 (testA)]", "      no daemon", "      at all",
                       "FAIL  initTestCase  0.00 s  [shard 2 (testA)]"};
    QTest::newRow("a passing hook of a shard is no news")
        << 0 << QVector<ProgressStep>{verdictStep(verdict(Outcome::Pass, "initTestCase"), 1), verdictStep(pass, 1)}
        << QStringList{"PASS  testA(r)  0.00 s"};
    QTest::newRow("lines wait for the probe of the daemon")
        << 0
        << QVector<ProgressStep>{step(Kind::ProbeStart), verdictStep(pass), step(Kind::Mark),
                                 step(Kind::ProbeListening)}
        << QStringList{"|", "PASS  testA(r)  0.00 s"};
    QTest::newRow("a daemon slow to listen is news at once")
        << 0
        << QVector<ProgressStep>{step(Kind::ProbeStart), verdictStep(pass), step(Kind::ProbeSlow),
                                 step(Kind::ProbeListening)}
        << QStringList{"korvu-check: korvud has not listened on 127.0.0.1:2222 after 5 s; waiting up to 25 s more",
                       "PASS  testA(r)  0.00 s"};
    QTest::newRow("a daemon that never listens drops what was held and all that follows")
        << 0
        << QVector<ProgressStep>{step(Kind::ProbeStart), verdictStep(fail), step(Kind::ProbeFailed), verdictStep(pass)}
        << QStringList();
    QTest::newRow("under retries a failure and its retry name their tries")
        << 2 << QVector<ProgressStep>{verdictStep(fail), verdictStep(pass, 3, 2)}
        << QStringList{"FAIL  testA(r)  0.00 s  [try 1 of 3]", "      'granted' returned FALSE.",
                       "FLAKY testA(r)  passed on try 2 of 3  0.00 s"};
}

void TestProgressReport::testLines()
{
    QFETCH(int, retries);
    QFETCH(QVector<ProgressStep>, steps);
    QFETCH(QStringList, lines);

    RunResults results;
    RunResults::Environment environment;
    environment.retries = retries;
    results.setEnvironment(environment);
    QString text;
    QTextStream out(&text);
    QTextStream err(stderr);
    ProgressReport report(out, err);
    for (const ProgressStep &step : qAsConst(steps)) {
        const RunResults::Origin origin = originOf(step);
        switch (step.kind) {
        case Kind::Verdict:
            results.addVerdict(step.verdict, origin);
            report.verdictRead(results, origin, step.verdict);
            break;
        case Kind::Finding: {
            const DaemonFinding finding{
                DaemonFinding::Kind::Valgrind, step.verdict.function, step.verdict.row, {"invalid read"}};
            results.addFinding(finding, origin);
            report.findingMade(results, origin, finding);
            break;
        }
        case Kind::ProcessEnd:
            report.processEnded(results, origin);
            break;
        case Kind::ProbeStart:
            report.probeStarted();
            break;
        case Kind::ProbeListening:
            report.probeEnded(true);
            break;
        case Kind::ProbeFailed:
            report.probeEnded(false);
            break;
        case Kind::ProbeSlow:
            report.probeStillWaiting(5000, 25000);
            break;
        case Kind::Mark:
            out << "|\n";
            break;
        }
    }
    out.flush();
    QStringList written = text.split(QLatin1Char('\n'));
    written.removeLast();
    QCOMPARE(written, lines);
}

QTEST_APPLESS_MAIN(TestProgressReport)
#include "tst_progressreport.moc"
