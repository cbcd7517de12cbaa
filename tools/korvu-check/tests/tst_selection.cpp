// korvu-check's selections with the real suite against the scripted daemon:
// the listing, the patterns, and the failures of the run before.
#include "tests/junitfile.h"
#include "tests/scenariocheck.h"

#include <QtTest>

namespace {

const int runTimeoutMsecs = 120000;
const QStringList hooks = {QStringLiteral("initTestCase"), QStringLiteral("cleanupTestCase")};

// The functions and rows a JUnit report holds, the hooks aside.
QStringList rowsRun(const QString &junit)
{
    QStringList names = JunitFile::read(junit).names();
    for (const QString &hook : hooks)
        names.removeAll(hook);
    return names;
}

} // namespace

class TestSelection : public QObject
{
    Q_OBJECT
private slots:
    void testListStartsNoDaemon();
    void testPatterns_data();
    void testPatterns();
    void testLastFailed();

private:
    QTemporaryDir m_dir;
};

// The daemon given could never serve a run: a listing does not start it.
void TestSelection::testListStartsNoDaemon()
{
    const CheckProcess::Result result = CheckProcess::run({"--daemon", "/bin/false", "--list"}, {}, runTimeoutMsecs);
    QCOMPARE(result.status, 0);
    const QStringList words = result.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(words.size(), 32);
    QVERIFY(words.contains(QStringLiteral("testDelivery:DPD Prio")));
    QVERIFY(words.contains(QStringLiteral("testRemoveDelivery")));
    QVERIFY(!words.contains(hooks.constFirst()));
}

void TestSelection::testPatterns_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("rows"); // run, the hooks aside
    QTest::addColumn<QString>("shown"); // a row run, or the refusal

    QTest::newRow("grep: the DHL rows") << QStringList{"--grep", "DHL"} << 0 << 6
                                        << "testDelivery(DHL express germany 1)";
    QTest::newRow("grep-invert in shards keeps the functions named alike")
        << QStringList{"--grep-invert", "^testDelivery\\(", "-j", "auto"} << 0 << 15 << "testDeliveryPersistence";
    QTest::newRow("a pattern that selects nothing is refused")
        << QStringList{"--grep", "GLS", "-j", "2"} << 2 << 0
        << "korvu-check: no function or row of the suite is selected by --grep 'GLS'";
}

void TestSelection::testPatterns()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(int, rows);
    QFETCH(QString, shown);

    const QString junit = m_dir.filePath(QString::fromLatin1(QTest::currentDataTag()) + QStringLiteral(".xml"));
    const CheckProcess::Result result = ScenarioCheck::run("correct.json", arguments + QStringList{"--junit", junit},
                                                           runTimeoutMsecs);
    // The suite's race at a second boundary may fail a row on a loaded
    // machine; which rows ran is what counts here.
    QVERIFY2(result.status == status || (status == 0 && result.status == 1), qPrintable(result.out + result.err));
    if (status == 2) {
        QVERIFY2(result.err.contains(shown), qPrintable(result.err));
        return;
    }
    const QStringList run = rowsRun(junit);
    QCOMPARE(run.size(), rows);
    QVERIFY2(run.contains(shown), qPrintable(run.join(QLatin1Char('\n'))));
}

// Two rows fail, then only they run again: failing, then fixed; then nothing runs.
void TestSelection::testLastFailed()
{
    QTemporaryDir cache;
    QVERIFY(cache.isValid());
    const QStringList environment{QStringLiteral("XDG_CACHE_HOME=") + cache.path()};
    const QString junit = m_dir.filePath(QStringLiteral("last-failed.xml"));
    const QStringList failing = {"testDelivery(UPS Standard intl 2)", "testDelivery(DPD Prio)"};

    CheckProcess::Result result = ScenarioCheck::run("codes-exact.json",
                                                     {"--junit", junit, "--", "testDelivery:UPS Standard intl 1",
                                                      "testDelivery:UPS Standard intl 2", "testDelivery:DPD Prio"},
                                                     runTimeoutMsecs, QString(), environment);
    QVERIFY2(result.status == 2, qPrintable(result.out + result.err));

    result = ScenarioCheck::run("codes-exact.json", {"--last-failed", "--junit", junit}, runTimeoutMsecs, QString(),
                                environment);
    QCOMPARE(result.status, 2);
    QCOMPARE(JunitFile::read(junit).names(), hooks.mid(0, 1) + failing + hooks.mid(1));

    result = ScenarioCheck::run("correct.json", {"--last-failed", "--junit", junit}, runTimeoutMsecs, QString(),
                                environment);
    QVERIFY2(result.status == 0, qPrintable(result.out + result.err));
    QCOMPARE(rowsRun(junit), failing);

    result = ScenarioCheck::run("correct.json", {"--last-failed", "--junit", junit}, runTimeoutMsecs, QString(),
                                environment);
    QCOMPARE(result.status, 0);
    QVERIFY2(result.out.contains(QStringLiteral("no failed function or row of ")), qPrintable(result.out));
    QCOMPARE(rowsRun(junit), QStringList());
}

QTEST_GUILESS_MAIN(TestSelection)
#include "tst_selection.moc"
