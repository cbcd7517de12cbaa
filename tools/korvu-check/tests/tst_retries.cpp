// korvu-check --retries with the real suite against the scripted daemon: a
// row whose first try fails on a creation time one second early, and one
// that fails every try.
#include "junitfile.h"
#include "scenariocheck.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

namespace {

const int runTimeoutMsecs = 120000;
const QString row = QStringLiteral("testAddDelivery(valid name, valid gate, valid scanner, valid code)");
const QString selection = QStringLiteral("testAddDelivery:valid name, valid gate, valid scanner, valid code");

QJsonObject ctrfTest(const QString &fileName, const QString &name)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QJsonArray tests = QJsonDocument::fromJson(file.readAll())[QLatin1String("results")][QLatin1String("tests")]
                                 .toArray();
    for (const QJsonValue &test : tests) {
        if (test[QLatin1String("name")].toString() == name)
            return test.toObject();
    }
    return {};
}

QString readAll(const QString &fileName)
{
    QFile file(fileName);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

} // namespace

class TestRetries : public QObject
{
    Q_OBJECT
private slots:
    void testTries_data();
    void testTries();

private:
    QTemporaryDir m_dir;
};

void TestRetries::testTries_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<bool>("onlyFirstTryFails");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("shown"); // a line of the output
    QTest::addColumn<QString>("ctrfStatus");
    QTest::addColumn<int>("retries");
    QTest::addColumn<QString>("junitRetryElement");

    QTest::newRow("passes on its retry") << QStringList{"--retries", "1"} << true << 0
                                         << "FLAKY " + row + "  passed on try 2 of 2"
                                         << "passed" << 1 << "flakyFailure";
    QTest::newRow("no retries") << QStringList() << true << 1 << "  FAIL " + row << "failed" << 0 << QString();
    QTest::newRow("flaky fails the run") << QStringList{"--retries", "1", "--fail-on-flaky"} << true << 1
                                         << "Flaky: 1 (they fail the run: --fail-on-flaky)"
                                         << "passed" << 1 << "flakyFailure";
    QTest::newRow("fails every try, in shards")
        << QStringList{"--retries", "2", "-j", "auto"} << false << 1 << "  FAIL " + row + "  (try 3 of 3)"
        << "failed" << 2 << "rerunFailure";
}

void TestRetries::testTries()
{
    QFETCH(QStringList, options);
    QFETCH(bool, onlyFirstTryFails);
    QFETCH(int, status);
    QFETCH(QString, shown);
    QFETCH(QString, ctrfStatus);
    QFETCH(int, retries);
    QFETCH(QString, junitRetryElement);

    const QString name = QString::fromLatin1(QTest::currentDataTag()).replace(QLatin1Char(' '), QLatin1Char('-'));
    const QString ctrf = CheckProcess::ctrfDocument(QStringLiteral("retries-") + name);
    const QString junit = m_dir.filePath(name + QStringLiteral(".xml"));
    const QString html = m_dir.filePath(name + QStringLiteral(".html"));
    QStringList environment;
    if (onlyFirstTryFails) {
        options += {"--wrap", QStringLiteral(KORVU_SCENARIO_BY_RUN_TREE)};
        environment = QStringList{QStringLiteral("KORVU_SWITCHED_TREES=*/retry-*"),
                                  QStringLiteral("KORVU_SWITCHED_SCENARIO=") + ScenarioCheck::directory()
                                      + QStringLiteral("/correct.json")};
    }
    const CheckProcess::Result result = ScenarioCheck::run(
        "listing-created-a-second-early.json",
        options + QStringList{"--json", ctrf, "--junit", junit, "--html", html, "--", selection}, runTimeoutMsecs,
        QString(), environment);
    QCOMPARE(result.status, status);
    const QStringList lines = result.out.split(QLatin1Char('\n'));
    QVERIFY2(
        std::any_of(lines.cbegin(), lines.cend(), [&shown](const QString &line) { return line.startsWith(shown); }),
        qPrintable(result.out.right(2000) + result.err));
    // The note stands beside every failed try in the summary; the clock
    // readings in their messages differ, so each is shown.
    QCOMPARE(result.out.count(QStringLiteral("known race: the records differ only in createdTimestamp")),
             onlyFirstTryFails ? 1 : 3);

    const QJsonObject test = ctrfTest(ctrf, row);
    QCOMPARE(test.value("status").toString(), ctrfStatus);
    QCOMPARE(test.value("retries").toInt(), retries);
    QCOMPARE(test.value("retryAttempts").toArray().size(), retries);
    QCOMPARE(test.value("flaky").toBool(), retries > 0 && ctrfStatus == QLatin1String("passed"));

    const QString xml = readAll(junit);
    QCOMPARE(xml.count(QStringLiteral("<%1 ").arg(junitRetryElement)), junitRetryElement.isEmpty() ? 0 : retries);
    const QString page = readAll(html);
    for (int attempt = 1; attempt <= retries + 1 && retries > 0; ++attempt)
        QVERIFY2(page.contains(QStringLiteral("try %1 of %2").arg(attempt).arg(retries + 1)), qPrintable(name));
}

QTEST_GUILESS_MAIN(TestRetries)
#include "tst_retries.moc"
