#include "commandline/exitstatus.h"
#include "reports/console/consolereport.h"
#include "reports/ctrfdocument.h"
#include "reports/ctrfreport.h"
#include "reports/html/htmlreport.h"
#include "reports/junitreport.h"
#include "results/runresults.h"
#include "tests/verdicts.h"

#include <QBuffer>
#include <QJsonArray>
#include <QtTest>

Q_DECLARE_METATYPE(RunResults::Outcome)
Q_DECLARE_METATYPE(RowStatus::Cause)

namespace {

using O = TestVerdict::Outcome;

const QString function = QStringLiteral("testDelivery");
const QString row = QStringLiteral("granted");
const QString note = QStringLiteral("known race: the records differ only in createdTimestamp");

// runs: one word per try, "<repetition><verdict>": P pass, F fail, S skip,
// X an expected failure and then the pass that ends the row, U an unexpected
// pass, B a blacklisted failure, b a blacklisted pass. A repetition's words
// in order are its tries. Every failure carries the known-race note.
RunResults resultsOf(const QString &runs, int repeat, int retries, bool failOnFlaky)
{
    RunResults results;
    RunResults::Environment environment;
    environment.repeat = repeat;
    environment.retries = retries;
    environment.failOnFlaky = failOnFlaky;
    results.setEnvironment(environment);
    results.setSuiteName(QStringLiteral("TestDeliveries"));
    results.setOrder({TestVerdict::testName(function, row)});
    QHash<int, int> attempts;
    int job = 0;
    for (const QString &word : runs.split(QLatin1Char(' '))) {
        const int repetition = word.left(1).toInt();
        const RunResults::Origin origin{job, job + 1, repetition, QStringLiteral("shard %1").arg(job + 1),
                                        ++attempts[repetition]};
        ++job;
        const QStringList message{QStringLiteral("went wrong")};
        const QHash<QChar, TestVerdict> verdicts = {
            {'P', verdict(O::Pass, function, row)},
            {'F', verdict(O::Fail, function, row, message, QStringLiteral("t.cpp(1)"))},
            {'S', verdict(O::Skip, function, row, {QStringLiteral("no gate")})},
            {'U', verdict(O::UnexpectedPass, function, row, message, QStringLiteral("t.cpp(2)"))},
            {'B', verdict(O::BlacklistedFail, function, row, message)},
            {'b', verdict(O::BlacklistedPass, function, row)},
        };
        const QChar kind = word.at(1);
        if (kind == QLatin1Char('X')) {
            results.addRun({verdict(O::ExpectedFail, function, row, {QStringLiteral("known")}), origin, {}, {}, {}});
            results.addRun({verdicts.value('P'), origin, {}, {}, {}});
        } else {
            const QStringList notes = kind == QLatin1Char('F') ? QStringList{note} : QStringList();
            results.addRun({verdicts.value(kind), origin, notes, {}, {}});
        }
    }
    return results;
}

QString written(Reporter &&reporter, const RunResults &results)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    reporter.write(results, &buffer);
    return QString::fromUtf8(buffer.data());
}

// The JUnit test case's own result: passed, failure or skipped.
QString junitResult(const QString &xml)
{
    QXmlStreamReader reader(xml);
    bool inCase = false;
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement() && reader.name() == QLatin1String("testcase"))
            inCase = reader.attributes().value(QLatin1String("name")).toString().startsWith(function);
        else if (inCase && reader.isStartElement()
                 && (reader.name() == QLatin1String("failure") || reader.name() == QLatin1String("skipped")))
            return reader.name().toString();
        else if (inCase && reader.isEndElement() && reader.name() == QLatin1String("testcase"))
            return QStringLiteral("passed");
    }
    return QStringLiteral("no test case");
}

// The exit status a check of these results would end with.
int exitStatus(const RunResults &results)
{
    ExitStatus::Facts facts;
    facts.failures = results.failureStatus();
    facts.findings = !results.findings().isEmpty();
    return ExitStatus::of(facts);
}

} // namespace

// Every mix of verdicts a function or row can have, through the model's
// outcome, the four reports and the exit status: they all tell it alike.
class TestRowOutcomes : public QObject
{
    Q_OBJECT
private slots:
    void testReportsAgree_data();
    void testReportsAgree();
    void testEachTryShown_data();
    void testEachTryShown();
    void testExitStatusOrder();
    void testNotRunInEveryReport();

private:
    QTemporaryDir m_dir;
};

void TestRowOutcomes::testReportsAgree_data()
{
    using Out = RunResults::Outcome;
    using Why = RowStatus::Cause;
    QTest::addColumn<QString>("runs");
    QTest::addColumn<int>("repeat");
    QTest::addColumn<int>("retries");
    QTest::addColumn<bool>("failOnFlaky");
    QTest::addColumn<bool>("finding");
    QTest::addColumn<QString>("broken"); // "", "outside" any row, or "in the row" on its last try
    QTest::addColumn<RunResults::Outcome>("outcome");
    QTest::addColumn<RowStatus::Cause>("cause"); // why the row fails the run
    QTest::addColumn<QString>("status"); // CTRF's; JUnit's failure, skipped or passed follows from it
    QTest::addColumn<QString>("htmlClass");
    QTest::addColumn<QString>("counts"); // the console's last line
    QTest::addColumn<int>("exitStatus");

    // clang-format off
    QTest::newRow("pass") << "1P" << 1 << 0 << false << false << "" << Out::Passed << Why::None << "passed" << "pass" << "1 passed, 0 failed, 0 skipped" << 0;
    QTest::newRow("fail") << "1F" << 1 << 0 << false << false << "" << Out::Failed << Why::LastTryFailed << "failed" << "fail" << "0 passed, 1 failed, 0 skipped" << 1;
    QTest::newRow("skip") << "1S" << 1 << 0 << false << false << "" << Out::Skipped << Why::None << "skipped" << "skip" << "0 passed, 0 failed, 1 skipped" << 0;
    QTest::newRow("xfail") << "1X" << 1 << 0 << false << false << "" << Out::Passed << Why::None << "passed" << "pass" << "1 passed, 0 failed, 0 skipped" << 0;
    QTest::newRow("xpass") << "1U" << 1 << 0 << false << false << "" << Out::Failed << Why::LastTryFailed << "failed" << "fail" << "0 passed, 1 failed, 0 skipped" << 1;
    QTest::newRow("blacklisted failure") << "1B" << 1 << 0 << false << false << "" << Out::Other << Why::None << "other" << "other" << "0 passed, 0 failed, 0 skipped" << 0;
    QTest::newRow("blacklisted pass") << "1b" << 1 << 0 << false << false << "" << Out::Other << Why::None << "other" << "other" << "0 passed, 0 failed, 0 skipped" << 0;
    QTest::newRow("blacklisted failure twice") << "1B 2B" << 2 << 0 << false << false << "" << Out::Other << Why::None << "other" << "other" << "0 passed, 0 failed, 0 skipped" << 0;
    QTest::newRow("passed once, skipped once") << "1P 2S" << 2 << 0 << false << false << "" << Out::Passed << Why::None << "passed" << "pass" << "1 passed, 0 failed, 1 skipped" << 0;
    QTest::newRow("repeats, flaky") << "1P 2F" << 2 << 0 << false << false << "" << Out::Flaky << Why::LastTryFailed << "failed" << "flaky" << "1 passed, 1 failed, 0 skipped" << 1;
    QTest::newRow("repeats, failed every time") << "1F 2F" << 2 << 0 << false << false << "" << Out::Failed << Why::LastTryFailed << "failed" << "fail" << "0 passed, 2 failed, 0 skipped" << 2;
    QTest::newRow("retries, passed on a retry") << "1F 1P" << 1 << 2 << false << false << "" << Out::Flaky << Why::None << "passed" << "flaky" << "1 passed, 0 failed, 0 skipped" << 0;
    QTest::newRow("retries, flaky fails the run") << "1F 1P" << 1 << 2 << true << false << "" << Out::Flaky << Why::PassedOnlyOnRetry << "failed" << "flaky" << "0 passed, 1 failed, 0 skipped" << 1;
    QTest::newRow("retries, failed every try") << "1F 1F 1F" << 1 << 2 << false << false << "" << Out::Failed << Why::LastTryFailed << "failed" << "fail" << "0 passed, 1 failed, 0 skipped" << 1;
    QTest::newRow("retries, skipped on a retry") << "1F 1S" << 1 << 1 << false << false << "" << Out::Skipped << Why::None << "skipped" << "skip" << "0 passed, 0 failed, 1 skipped" << 0;
    QTest::newRow("repeats and retries") << "1F 1P 2P" << 2 << 1 << false << false << "" << Out::Flaky << Why::None << "passed" << "flaky" << "2 passed, 0 failed, 0 skipped" << 0;
    QTest::newRow("repeats and retries, one run failed") << "1P 2F 2F" << 2 << 1 << false << false << "" << Out::Flaky << Why::LastTryFailed << "failed" << "flaky" << "1 passed, 1 failed, 0 skipped" << 1;
    // Under --fail-on-flaky a row fails the run once, however it was flaky.
    QTest::newRow("repeats, flaky, --fail-on-flaky") << "1P 2F" << 2 << 0 << true << false << "" << Out::Flaky << Why::LastTryFailed << "failed" << "flaky" << "1 passed, 1 failed, 0 skipped" << 1;
    QTest::newRow("repeats and retries, --fail-on-flaky") << "1F 1P 2P" << 2 << 1 << true << false << "" << Out::Flaky << Why::PassedOnlyOnRetry << "failed" << "flaky" << "1 passed, 1 failed, 0 skipped" << 1;
    QTest::newRow("passed on a retry, failed another run, --fail-on-flaky") << "1F 1P 2F 2F" << 2 << 1 << true << false << "" << Out::Flaky << Why::LastTryFailed << "failed" << "flaky" << "1 passed, 1 failed, 0 skipped" << 1;
    QTest::newRow("finding in a pass") << "1P" << 1 << 0 << false << true << "" << Out::Passed << Why::Finding << "failed" << "pass finding" << "1 passed, 0 failed, 0 skipped" << 5;
    QTest::newRow("finding in a flaky row") << "1F 1P" << 1 << 1 << false << true << "" << Out::Flaky << Why::Finding << "failed" << "flaky finding" << "1 passed, 0 failed, 0 skipped" << 5;
    QTest::newRow("a break beside a pass") << "1P" << 1 << 0 << false << false << "outside" << Out::Passed << Why::None << "passed" << "pass" << "1 passed, 1 failed, 0 skipped" << 1;
    // The break is a test of its own in JUnit and CTRF; it counts once.
    QTest::newRow("a break after a retry") << "1F 1P" << 1 << 1 << false << false << "in the row" << Out::Flaky << Why::BrokenOff << "passed" << "flaky" << "1 passed, 1 failed, 0 skipped" << 1;
    // clang-format on
}

void TestRowOutcomes::testReportsAgree()
{
    QFETCH(QString, runs);
    QFETCH(int, repeat);
    QFETCH(int, retries);
    QFETCH(bool, failOnFlaky);
    QFETCH(bool, finding);
    QFETCH(QString, broken);
    QFETCH(RunResults::Outcome, outcome);
    QFETCH(RowStatus::Cause, cause);
    QFETCH(QString, status);
    QFETCH(QString, htmlClass);
    QFETCH(QString, counts);
    QFETCH(int, exitStatus);

    RunResults results = resultsOf(runs, repeat, retries, failOnFlaky);
    const RunResults::Origin first{0, 1, 1, QString(), 1};
    if (finding)
        results.addFinding({DaemonFinding::Kind::AddressSanitizer, function, row, {"==1==ERROR: heap"}}, first);
    if (!broken.isEmpty()) {
        const bool inRow = broken == QLatin1String("in the row");
        const RunResults::Origin last{9, 9, repeat, QStringLiteral("shard 9"), retries + 1};
        results.addBreak({"crash",
                          "the suite crashed (signal 11)",
                          inRow ? TestVerdict::testName(function, row) : QString(),
                          0.1,
                          {},
                          inRow ? last : first});
    }
    const RunResults::TestCase reported = results.rowsWithHooksMerged().constFirst();
    const RowStatus rowStatus = results.status(reported);
    QCOMPARE(rowStatus.outcome, outcome);
    QCOMPARE(rowStatus.cause, cause);
    QCOMPARE(::exitStatus(results), exitStatus);

    const QString consoleText = written(ConsoleReport(), results);
    const QStringList console = consoleText.split(QLatin1Char('\n'));
    QCOMPARE(console.at(console.size() - 2), counts);

    const QJsonObject ctrf = CtrfReport::document(results);
    const QJsonObject test = ctrf["results"]["tests"].toArray().first().toObject();
    QCOMPARE(test["status"].toString(), status);
    QCOMPARE(test["flaky"].toBool(), outcome == RunResults::Outcome::Flaky);
    // As merge reads a slice's document.
    const QString fileName = m_dir.filePath(QStringLiteral("run.json"));
    RunResults readBack;
    QString error;
    QVERIFY2(CtrfReport().writeFile(results, fileName, &error), qPrintable(error));
    QVERIFY2(CtrfDocument::read(fileName, &readBack, &error), qPrintable(error));
    QCOMPARE(readBack.status(readBack.rowsWithHooksMerged().constFirst()).cause, cause);
    QCOMPARE(::exitStatus(readBack), exitStatus);

    // JUnit has no "other": what fails no run and passed nothing shows as skipped.
    const QString junitXml = written(JunitReport(), results);
    const QHash<QString, QString> junitOf = {
        {"passed", "passed"}, {"failed", "failure"}, {"skipped", "skipped"}, {"other", "skipped"}};
    QCOMPARE(junitResult(junitXml), junitOf.value(status));

    const QString page = HtmlReport::page(results);
    QVERIFY2(page.contains(QStringLiteral("class=\"row %1\"").arg(htmlClass)), qPrintable(htmlClass));

    // No format has a word for a flaky row that fails the run: each says why.
    if (cause == RowStatus::Cause::PassedOnlyOnRetry) {
        QVERIFY2(consoleText.contains(rowStatus.reason), qPrintable(consoleText));
        QVERIFY2(test["message"].toString().contains(rowStatus.reason), qPrintable(test["message"].toString()));
        QVERIFY2(junitXml.contains(rowStatus.reason), qPrintable(junitXml));
        QVERIFY2(page.contains(rowStatus.reason), "the page gives no reason");
    }
}

void TestRowOutcomes::testEachTryShown_data()
{
    QTest::addColumn<QString>("runs");
    QTest::addColumn<int>("repeat");
    QTest::addColumn<int>("retries");
    QTest::addColumn<QString>("consoleLine"); // the summary's line for the row's tries
    QTest::addColumn<QStringList>("junitElements"); // failure, flakyFailure, rerunFailure

    QTest::newRow("passed on a retry") << "1F 1P" << 1 << 2 << "  FLAKY testDelivery(granted)  passed on try 2 of 3"
                                       << QStringList{"flakyFailure"};
    QTest::newRow("failed every try") << "1F 1F 1F" << 1 << 2 << "  FAIL testDelivery(granted)  (tries 1, 2, 3 of 3)"
                                      << QStringList{"failure", "rerunFailure", "rerunFailure"};
    QTest::newRow("repeated, retried in one run")
        << "1F 1P 2P" << 2 << 1 << "  FLAKY testDelivery(granted)  passed on a retry in run 1"
        << QStringList{"flakyFailure"};
    QTest::newRow("repeated, failed every try of one run")
        << "1P 2F 2F" << 2 << 1 << "  FAIL testDelivery(granted)  (run 2: tries 1, 2 of 2)"
        << QStringList{"failure", "rerunFailure"};
}

// Every try that failed stands in every report, with its note.
void TestRowOutcomes::testEachTryShown()
{
    QFETCH(QString, runs);
    QFETCH(int, repeat);
    QFETCH(int, retries);
    QFETCH(QString, consoleLine);
    QFETCH(QStringList, junitElements);

    const RunResults results = resultsOf(runs, repeat, retries, false);
    const int retried = runs.count(QLatin1Char(' ')) + 1 - repeat;
    const bool failedInTheEnd = runs.endsWith(QLatin1Char('F'));

    const QStringList console = written(ConsoleReport(), results).split(QLatin1Char('\n'));
    QVERIFY2(console.contains(consoleLine), qPrintable(console.join(QLatin1Char('\n'))));
    QCOMPARE(console.filter(note).size(), 1); // failed tries alike are shown once

    const QString junit = written(JunitReport(), results);
    QStringList elements;
    QXmlStreamReader xml(junit);
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name().toString().contains(QLatin1String("ailure")))
            elements.append(xml.name().toString());
    }
    QCOMPARE(elements, junitElements);
    QCOMPARE(junit.count(note), retried + (failedInTheEnd ? 1 : 0));

    const QJsonObject document = CtrfReport::document(results);
    const QJsonObject test = document["results"]["tests"].toArray().first().toObject();
    QCOMPARE(test.value("retries").toInt(), retried);
    const QJsonArray attempts = test.value("retryAttempts").toArray();
    QCOMPARE(attempts.size(), retried);
    for (const QJsonValue &attempt : attempts) {
        QCOMPARE(attempt["status"].toString(), QStringLiteral("failed"));
        QVERIFY(attempt["stdout"].toArray().contains(note));
    }

    const QString page = HtmlReport::page(results);
    QCOMPARE(page.count(QStringLiteral("<h3>FAIL in ")), runs.count(QLatin1Char('F')));
    QCOMPARE(page.count(QStringLiteral("<h3>PASS in ")), failedInTheEnd ? 0 : 1);
}

void TestRowOutcomes::testExitStatusOrder()
{
    ExitStatus::Facts facts;
    facts.reportMissing = true;
    QCOMPARE(ExitStatus::of(facts), int(ExitStatus::EnvironmentProblem));
    facts.findings = true;
    QCOMPARE(ExitStatus::of(facts), int(ExitStatus::DaemonFindings));
    facts.problem = ExitStatus::DaemonDoesNotStart;
    QCOMPARE(ExitStatus::of(facts), int(ExitStatus::DaemonDoesNotStart));
    facts.failures = 3;
    QCOMPARE(ExitStatus::of(facts), 3);
    facts.suiteSignal = 11;
    QCOMPARE(ExitStatus::of(facts), 139);
    facts.stopSignal = 2;
    QCOMPARE(ExitStatus::of(facts), 130);
}

QTEST_GUILESS_MAIN(TestRowOutcomes)
#include "tst_rowoutcomes.moc"

// Rows the run stopped before are never passed, in no report, and only the
// failure that stopped it counts for the exit status.
void TestRowOutcomes::testNotRunInEveryReport()
{
    RunResults results = resultsOf(QStringLiteral("1F"), 1, 0, false);
    const QString reason = QStringLiteral("not run: stopped after 1 failure");
    results.setOrder({TestVerdict::testName(function, row), "testLater(a)", "testLater(b)"});
    results.addNotRun({"testLater(b)", "testLater(a)"}, reason);

    const QStringList console = written(ConsoleReport(), results).split(QLatin1Char('\n'));
    QCOMPARE(console.at(console.size() - 2), QStringLiteral("0 passed, 1 failed, 0 skipped, 2 not run"));
    QVERIFY2(console.contains(QStringLiteral("  testLater(a)  (%1)").arg(reason)), qPrintable(console.join('\n')));

    const QString junitXml = written(JunitReport(), results);
    QCOMPARE(junitXml.count(QStringLiteral("<skipped message=\"%1\"/>").arg(reason)), 2);
    QVERIFY(junitXml.contains(QStringLiteral("tests=\"3\" failures=\"1\" errors=\"0\" skipped=\"2\"")));

    const QJsonObject ctrf = CtrfReport::document(results);
    const QJsonArray tests = ctrf["results"]["tests"].toArray();
    QCOMPARE(tests.size(), 3);
    QCOMPARE(tests.at(1).toObject()["name"].toString(), QStringLiteral("testLater(a)"));
    QCOMPARE(tests.at(1).toObject()["status"].toString(), QStringLiteral("skipped"));
    QCOMPARE(tests.at(1).toObject()["message"].toString(), reason);
    QVERIFY(tests.at(1)["extra"].toObject()["notRun"].toBool());
    const QString fileName = m_dir.filePath(QStringLiteral("stopped.json"));
    RunResults readBack;
    QString error;
    QVERIFY2(CtrfReport().writeFile(results, fileName, &error), qPrintable(error));
    QVERIFY2(CtrfDocument::read(fileName, &readBack, &error), qPrintable(error));
    QCOMPARE(readBack.counts().notRun, 2);
    QCOMPARE(readBack.notRun().constFirst().reason, reason);
    QCOMPARE(::exitStatus(readBack), 1);

    const QString page = HtmlReport::page(results);
    QVERIFY(page.contains(QStringLiteral("2 not run")));
    QCOMPARE(page.count(QStringLiteral("class=\"row skip notrun\"")), 2);
    QVERIFY(page.contains(reason));
}
