// korvu-check --retries with the real suite against the scripted daemon: a
// row whose first try fails on a creation time one second early, and one
// that fails every try.
#include "tests/junitfile.h"
#include "tests/scenariocheck.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

namespace {

const int runTimeoutMsecs = 120000;
const int attempts = 3;
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
    QTest::addColumn<int>("failedTries");

    QTest::newRow("passes on its retry") << QStringList{"--retries", "1"} << true << 0
                                         << "FLAKY " + row + "  passed on try 2 of 2"
                                         << "passed" << 1 << "flakyFailure" << 1;
    QTest::newRow("no retries") << QStringList() << true << 1 << "  FAIL " + row << "failed" << 0 << QString() << 1;
    QTest::newRow("flaky fails the run") << QStringList{"--retries", "1", "--fail-on-flaky", "--shard", "1/1"} << true
                                         << 1 << "Flaky: 1 (they fail the run: --fail-on-flaky)"
                                         << "failed" << 1 << "flakyFailure" << 1;
    QTest::newRow("fails every try, in shards")
        << QStringList{"--retries", "2", "-j", "auto"} << false << 1 << "  FAIL " + row + "  (try 3 of 3)"
        << "failed" << 2 << "rerunFailure" << 3;
    // Each repetition's retry belongs to it: no repetition is left failing.
    QTest::newRow("passes on its retry in every repetition")
        << QStringList{"--retries", "1", "--repeat", "2"} << true << 0 << "FLAKY " + row + "  passed on try 2 of 2"
        << "passed" << 2 << "flakyFailure" << 2;
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
    QFETCH(int, failedTries);

    const QString name = QString::fromLatin1(QTest::currentDataTag()).replace(QLatin1Char(' '), QLatin1Char('-'));
    const QString ctrf = CheckProcess::ctrfDocument(QStringLiteral("retries-") + name);
    const QString junit = m_dir.filePath(name + QStringLiteral(".xml"));
    const QString html = m_dir.filePath(name + QStringLiteral(".html"));
    // Per repetition; the reports count the retries of all of them.
    const int retriesAt = options.indexOf(QStringLiteral("--retries"));
    const int allowedRetries = retriesAt < 0 ? 0 : options.value(retriesAt + 1).toInt();
    QStringList environment;
    if (onlyFirstTryFails) {
        options += {"--wrap", QStringLiteral(KORVU_SCENARIO_BY_RUN_TREE)};
        environment = QStringList{QStringLiteral("KORVU_SWITCHED_TREES=*/retry-*"),
                                  QStringLiteral("KORVU_SWITCHED_SCENARIO=") + ScenarioCheck::directory()
                                      + QStringLiteral("/correct.json")};
    }

    // On a loaded machine the suite's own race at a second boundary now and
    // then fails a try that should pass, or moves the early creation time a
    // second further; a case runs again before it counts.
    QStringList problems;
    for (int attempt = 1; attempt <= attempts; ++attempt) {
        const CheckProcess::Result result = ScenarioCheck::run(
            "listing-created-a-second-early.json",
            options + QStringList{"--json", ctrf, "--junit", junit, "--html", html, "--", selection}, runTimeoutMsecs,
            QString(), environment);
        problems.clear();
        const auto expect = [&problems](bool holds, const QString &what) {
            if (!holds)
                problems.append(what);
        };
        expect(result.status == status, QStringLiteral("exit status %1, not %2").arg(result.status).arg(status));
        const QStringList lines = result.out.split(QLatin1Char('\n'));
        expect(
            std::any_of(lines.cbegin(), lines.cend(), [&shown](const QString &line) { return line.startsWith(shown); }),
            QStringLiteral("no line '%1' in:\n%2").arg(shown, result.out.right(3000) + result.err));
        // The note stands beside every failed try in the summary; the clock
        // readings in their messages differ, so each is shown.
        const int notes = result.out.count(QStringLiteral("known race: the records differ only in createdTimestamp"));
        expect(notes == failedTries, QStringLiteral("%1 known-race notes").arg(notes));

        const QJsonObject test = ctrfTest(ctrf, row);
        expect(test.value("status").toString() == ctrfStatus,
               QStringLiteral("CTRF status ") + test.value("status").toString());
        expect(test.value("retries").toInt() == retries && test.value("retryAttempts").toArray().size() == retries,
               QStringLiteral("CTRF retries %1").arg(test.value("retries").toInt()));
        expect(test.value("flaky").toBool() == (retries > 0 && onlyFirstTryFails), QStringLiteral("CTRF flaky"));
        // A slice's document, merged, fails as its run did.
        if (options.contains(QLatin1String("--shard"))) {
            const CheckProcess::Result merged = CheckProcess::run({"merge", ctrf}, {}, runTimeoutMsecs);
            expect(merged.status == status, QStringLiteral("merge exit status %1").arg(merged.status));
        }
        const int elements = readAll(junit).count(QStringLiteral("<%1 ").arg(junitRetryElement));
        expect(elements == (junitRetryElement.isEmpty() ? 0 : retries),
               QStringLiteral("%1 JUnit %2 elements").arg(elements).arg(junitRetryElement));
        const QString page = readAll(html);
        for (int tried = 1; tried <= allowedRetries + 1 && retries > 0; ++tried)
            expect(page.contains(QStringLiteral("try %1 of %2").arg(tried).arg(allowedRetries + 1)),
                   QStringLiteral("try %1 missing from the HTML page").arg(tried));
        if (problems.isEmpty())
            return;
        qInfo("attempt %d: %s", attempt, qPrintable(problems.join(QStringLiteral("; "))));
    }
    QFAIL(qPrintable(problems.join(QLatin1Char('\n'))));
}

QTEST_GUILESS_MAIN(TestRetries)
#include "tst_retries.moc"
