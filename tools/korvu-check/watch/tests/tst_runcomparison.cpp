#include "tests/verdicts.h"
#include "watch/runcomparison.h"

#include <QtTest>

namespace {

using O = TestVerdict::Outcome;

// rows: "function(row)=how" in the suite's order, how being pass, fail,
// skip, "blacklisted" (no verdict that counts), "retried" (failed, then
// passed on a retry) or "broke" (the suite crashed in it, before its verdict).
RunResults results(const QStringList &rows, bool failOnFlaky = false)
{
    RunResults results;
    RunResults::Environment environment;
    environment.retries = 1;
    environment.failOnFlaky = failOnFlaky;
    results.setEnvironment(environment);
    QStringList order;
    for (const QString &spec : rows) {
        const QString testName = spec.section(QLatin1Char('='), 0, 0);
        const QString how = spec.section(QLatin1Char('='), 1);
        const QString function = testName.section(QLatin1Char('('), 0, 0);
        const QString row = testName.section(QLatin1Char('('), 1).chopped(testName.contains(QLatin1Char('(')));
        if (!order.contains(testName))
            order.append(testName);
        const RunResults::Origin first = {0, 0, 1, QString(), 1};
        if (how == QLatin1String("pass")) {
            results.addVerdict(verdict(O::Pass, function, row), first);
        } else if (how == QLatin1String("fail")) {
            results.addVerdict(verdict(O::Fail, function, row, {"no"}), first);
        } else if (how == QLatin1String("skip")) {
            results.addVerdict(verdict(O::Skip, function, row), first);
        } else if (how == QLatin1String("blacklisted")) {
            results.addVerdict(verdict(O::BlacklistedFail, function, row, {"no"}), first);
        } else if (how == QLatin1String("retried")) {
            results.addVerdict(verdict(O::Fail, function, row, {"no"}), first);
            results.addVerdict(verdict(O::Pass, function, row), {1, 1, 1, QStringLiteral("retry"), 2});
        } else if (how == QLatin1String("broke")) {
            RunResults::BrokenOffProcess crash;
            crash.type = QStringLiteral("crash");
            crash.testName = testName;
            crash.origin = first;
            results.addBreak(crash);
        }
    }
    results.setOrder(order);
    return results;
}

} // namespace

class TestRunComparison : public QObject
{
    Q_OBJECT
private slots:
    void testChanges_data();
    void testChanges();
};

void TestRunComparison::testChanges_data()
{
    QTest::addColumn<QStringList>("previous");
    QTest::addColumn<QStringList>("current");
    QTest::addColumn<bool>("failOnFlaky");
    QTest::addColumn<QString>("text");

    QTest::newRow("nothing changed") << QStringList{"testA=pass", "testB(x)=pass"}
                                     << QStringList{"testA=pass", "testB(x)=pass"} << false
                                     << "since the last run: nothing fixed, none failing";
    QTest::newRow("a row breaks") << QStringList{"testA=pass", "testB(x)=pass"}
                                  << QStringList{"testA=pass", "testB(x)=fail"} << false
                                  << "since the last run: newly failing testB(x)";
    QTest::newRow("fixed, newly failing and still failing at once")
        << QStringList{"testA=fail", "testB(x)=pass", "testB(y)=fail"}
        << QStringList{"testA=pass", "testB(x)=fail", "testB(y)=fail"} << false
        << "since the last run: fixed testA; newly failing testB(x); still failing 1 (testB(y))";
    QTest::newRow("still failing names three")
        << QStringList{"testA(1)=fail", "testA(2)=fail", "testA(3)=fail", "testA(4)=fail"}
        << QStringList{"testA(1)=fail", "testA(2)=fail", "testA(3)=fail", "testA(4)=fail"} << false
        << "since the last run: still failing 4 (testA(1), testA(2), testA(3), ...)";
    QTest::newRow("passed on a retry is fixed")
        << QStringList{"testA=fail"} << QStringList{"testA=retried"} << false << "since the last run: fixed testA";
    QTest::newRow("passed on a retry still fails under --fail-on-flaky")
        << QStringList{"testA=retried"} << QStringList{"testA=retried"} << true
        << "since the last run: still failing 1 (testA)";
    QTest::newRow("a skipped row is not fixed") << QStringList{"testA=fail"} << QStringList{"testA=skip"} << false
                                                << "since the last run: nothing fixed, none failing";
    QTest::newRow("the suite crashed in a row")
        << QStringList{"testA=pass", "testB=pass"} << QStringList{"testA=pass", "testB=broke"} << false
        << "since the last run: newly failing testB";
    QTest::newRow("a crash after the verdict fails the row")
        << QStringList{"testA=pass"} << QStringList{"testA=pass", "testA=broke"} << false
        << "since the last run: newly failing testA";
    // Only a row that failed before is still failing.
    QTest::newRow("failing after a skip")
        << QStringList{"testA=skip"} << QStringList{"testA=fail"} << false << "since the last run: newly failing testA";
    QTest::newRow("failing after no verdict that counts")
        << QStringList{"testA=blacklisted"} << QStringList{"testA=fail"} << false
        << "since the last run: newly failing testA";
    QTest::newRow("failing, not in the run before")
        << QStringList{"testA=pass"} << QStringList{"testA=pass", "testB=fail"} << false
        << "since the last run: newly failing testB";
    // The daemon did not come up: what failed before is not fixed.
    QTest::newRow("no row ran") << QStringList{"testA=fail"} << QStringList() << false
                                << "since the last run: no function or row ran";
}

void TestRunComparison::testChanges()
{
    QFETCH(QStringList, previous);
    QFETCH(QStringList, current);
    QFETCH(bool, failOnFlaky);
    QFETCH(QString, text);

    QCOMPARE(RunComparison(results(previous, failOnFlaky), results(current, failOnFlaky)).text(), text);
}

QTEST_GUILESS_MAIN(TestRunComparison)
#include "tst_runcomparison.moc"
