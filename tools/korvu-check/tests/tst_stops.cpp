// korvu-check -x and --timeout with the real suite against the scripted
// daemon: a daemon that never notifies stopped at its first failing row, and
// one that never listens again after a restart stopped in that row.
#include "tests/junitfile.h"
#include "tests/scenariocheck.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

namespace {

const int runTimeoutMsecs = 120000;

QJsonArray ctrfTests(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QJsonDocument::fromJson(file.readAll())[QLatin1String("results")][QLatin1String("tests")].toArray();
}

} // namespace

class TestStops : public QObject
{
    Q_OBJECT
private slots:
    void testStopAtFirstFailure();
    void testTimeoutInShards();

private:
    QTemporaryDir m_dir;
};

void TestStops::testStopAtFirstFailure()
{
    const QString ctrf = CheckProcess::ctrfDocument(QStringLiteral("stop-at-first-failure"));
    const QString junit = m_dir.filePath(QStringLiteral("stopped.xml"));
    const CheckProcess::Result result = ScenarioCheck::run(
        "never-notifies.json", {"-x", "--json", ctrf, "--junit", junit, "--", "testDelivery"}, runTimeoutMsecs);
    QCOMPARE(result.status, 1);
    // The hook and the two rows before the first granted one passed.
    QVERIFY2(result.out.contains(QStringLiteral("\n3 passed, 1 failed, 0 skipped, 14 not run\n")),
             qPrintable(result.out));
    QVERIFY2(result.out.contains(QStringLiteral("not run: stopped after 1 failure")), qPrintable(result.out));
    // Not stopped by a signal, as far as any report tells.
    QVERIFY2(!result.out.contains(QStringLiteral("stopped by signal")), qPrintable(result.out));

    // The 14 rows not run are skipped test cases beside the hook, the two passes and the failure.
    const JunitFile report = JunitFile::read(junit);
    QCOMPARE(report.counts(), QStringLiteral("18/1/0/14"));

    int notRun = 0;
    for (const QJsonValue &test : ctrfTests(ctrf)) {
        const QJsonObject object = test.toObject();
        if (object.value("extra").toObject().value("notRun").toBool()) {
            QCOMPARE(object.value("status").toString(), QStringLiteral("skipped"));
            ++notRun;
        }
    }
    QCOMPARE(notRun, 14);
}

void TestStops::testTimeoutInShards()
{
    QTemporaryDir scenarios;
    QFile scenario(scenarios.filePath(QStringLiteral("silent-after-restart.json")));
    QVERIFY(scenario.open(QIODevice::WriteOnly));
    scenario.write(R"({"description": "Never listens again after a restart.", "listenAfterRestart": false})");
    scenario.close();
    qputenv("KORVU_SELFTEST_SCENARIOS", scenarios.path().toLocal8Bit());
    const QString ctrf = CheckProcess::ctrfDocument(QStringLiteral("timeout-in-shards"));
    const CheckProcess::Result result = ScenarioCheck::run(
        "silent-after-restart.json", {"--timeout", "10", "-j", "auto", "--json", ctrf}, runTimeoutMsecs);
    qunsetenv("KORVU_SELFTEST_SCENARIOS");

    QCOMPARE(result.status, 1);
    QVERIFY2(result.out.contains(QStringLiteral("  FAIL testDeliveryPersistence")), qPrintable(result.out));
    QVERIFY2(result.out.contains(QStringLiteral("timed out after 10 s")), qPrintable(result.out));
    QStringList failed;
    for (const QJsonValue &test : ctrfTests(ctrf)) {
        const QJsonObject object = test.toObject();
        if (object.value("status").toString() == QLatin1String("passed"))
            continue;
        failed.append(object.value("name").toString() + ": " + object.value("message").toString());
        // Not the suite's own minute of waiting for a daemon.
        QVERIFY2(object.value("duration").toInt() < 15000,
                 qPrintable(QString::number(object.value("duration").toInt())));
    }
    QCOMPARE(failed, QStringList{"testDeliveryPersistence: timed out after 10 s"});
}

QTEST_GUILESS_MAIN(TestStops)
#include "tst_stops.moc"
