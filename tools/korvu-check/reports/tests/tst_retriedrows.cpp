#include "consolereport.h"
#include "ctrfdocument.h"
#include "htmlreport.h"
#include "junitreport.h"
#include "runresults.h"
#include "verdicts.h"

#include <QBuffer>
#include <QJsonArray>
#include <QtTest>

namespace {

using O = TestVerdict::Outcome;

const QString function = QStringLiteral("testAddDelivery");
const QString row = QStringLiteral("valid code");
const QString note = QStringLiteral("known race: the records differ only in createdTimestamp");

// tries: "1F 1P 2P" is repetition 1 failed then passed on its retry, and
// repetition 2 passed at once. Every failed try carries the known-race note.
RunResults resultsOf(const QString &tries, int repeat, int retries, bool failOnFlaky)
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
    for (const QString &entry : tries.split(QLatin1Char(' '))) {
        const int repetition = entry.left(1).toInt();
        const bool passed = entry.endsWith(QLatin1Char('P'));
        const int attempt = ++attempts[repetition];
        const RunResults::Origin origin{job, job + 1, repetition,
                                        QStringLiteral("shard %1 (%2:%3)").arg(job + 1).arg(function, row), attempt};
        ++job;
        RunResults::Run run;
        run.verdict = passed ? verdict(O::Pass, function, row)
                             : verdict(O::Fail, function, row, {QStringLiteral("Expected: 1 Got: 2")},
                                       QStringLiteral("testdeliveries.cpp(300)"));
        run.origin = origin;
        if (!passed)
            run.notes = QStringList{note};
        results.addRun(run);
    }
    return results;
}

QByteArray written(Reporter &&reporter, const RunResults &results)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    reporter.write(results, &buffer);
    return buffer.data();
}

int count(const QByteArray &text, const QByteArray &part) { return text.count(part); }

} // namespace

// A row that ran again after failing, as every report and the exit status
// tell it: each try shown, the last try of each repetition counted.
class TestRetriedRows : public QObject
{
    Q_OBJECT
private slots:
    void testEveryReportAgrees_data();
    void testEveryReportAgrees();
};

void TestRetriedRows::testEveryReportAgrees_data()
{
    QTest::addColumn<QString>("tries");
    QTest::addColumn<int>("repeat");
    QTest::addColumn<int>("retries");
    QTest::addColumn<bool>("failOnFlaky");
    QTest::addColumn<QString>("status"); // CTRF's
    QTest::addColumn<bool>("flaky");
    QTest::addColumn<int>("failureStatus");
    QTest::addColumn<QString>("consoleLine"); // the summary's line for the row's tries
    QTest::addColumn<QString>("countsLine");
    QTest::addColumn<QStringList>("junitElements"); // failure, flakyFailure, rerunFailure

    QTest::newRow("passed on a retry") << "1F 1P" << 1 << 2 << false << "passed" << true << 0
                                       << "  FLAKY testAddDelivery(valid code)  passed on try 2 of 3"
                                       << "1 passed, 0 failed, 0 skipped" << QStringList{"flakyFailure"};
    QTest::newRow("passed on a retry, flaky fails the run")
        << "1F 1P" << 1 << 2 << true << "passed" << true << 1
        << "  FLAKY testAddDelivery(valid code)  passed on try 2 of 3"
        << "1 passed, 0 failed, 0 skipped" << QStringList{"flakyFailure"};
    QTest::newRow("failed every try") << "1F 1F 1F" << 1 << 2 << false << "failed" << false << 1
                                      << "  FAIL testAddDelivery(valid code)  (tries 1, 2, 3 of 3)"
                                      << "0 passed, 1 failed, 0 skipped"
                                      << QStringList{"failure", "rerunFailure", "rerunFailure"};
    QTest::newRow("repeated, retried in one run") << "1F 1P 2P" << 2 << 1 << false << "passed" << true << 0
                                                  << "  FLAKY testAddDelivery(valid code)  passed on a retry in run 1"
                                                  << "2 passed, 0 failed, 0 skipped" << QStringList{"flakyFailure"};
    QTest::newRow("repeated, failed every try of one run")
        << "1P 2F 2F" << 2 << 1 << false << "failed" << true << 1
        << "  FAIL testAddDelivery(valid code)  (run 2: tries 1, 2 of 2)"
        << "1 passed, 1 failed, 0 skipped" << QStringList{"failure", "rerunFailure"};
}

void TestRetriedRows::testEveryReportAgrees()
{
    QFETCH(QString, tries);
    QFETCH(int, repeat);
    QFETCH(int, retries);
    QFETCH(bool, failOnFlaky);
    QFETCH(QString, status);
    QFETCH(bool, flaky);
    QFETCH(int, failureStatus);
    QFETCH(QString, consoleLine);
    QFETCH(QString, countsLine);
    QFETCH(QStringList, junitElements);

    const RunResults results = resultsOf(tries, repeat, retries, failOnFlaky);
    const int retried = tries.count(QLatin1Char(' ')) + 1 - repeat;
    QCOMPARE(results.failureStatus(), failureStatus);

    const QStringList console = QString::fromUtf8(written(ConsoleReport(), results)).split(QLatin1Char('\n'));
    QVERIFY2(console.contains(consoleLine), qPrintable(console.join(QLatin1Char('\n'))));
    QVERIFY(!console.filter(QRegularExpression(QStringLiteral("^Flaky: %1( |$)").arg(flaky ? 1 : 0))).isEmpty());
    QCOMPARE(console.filter(note).size(), 1); // failed tries alike are shown once
    QCOMPARE(console.at(console.size() - 2), countsLine);

    const QByteArray junit = written(JunitReport(), results);
    QStringList elements;
    QXmlStreamReader xml(junit);
    while (xml.readNextStartElement() || !xml.atEnd()) {
        if (xml.isStartElement() && xml.name().toString().contains(QLatin1String("ailure")))
            elements.append(xml.name().toString());
        xml.readNext();
    }
    QCOMPARE(elements, junitElements);
    QCOMPARE(count(junit, note.toUtf8()), retried + (status == QLatin1String("failed") ? 1 : 0));
    QVERIFY(junit.contains(status == QLatin1String("failed") ? "failures=\"1\"" : "failures=\"0\""));

    const QJsonObject test =
        CtrfDocument::fromResults(results).value("results").toObject().value("tests").toArray().first().toObject();
    QCOMPARE(test.value("status").toString(), status);
    QCOMPARE(test.value("flaky").toBool(), flaky);
    QCOMPARE(test.value("retries").toInt(), retried);
    const QJsonArray attempts = test.value("retryAttempts").toArray();
    QCOMPARE(attempts.size(), retried);
    for (const QJsonValue &attempt : attempts) {
        QCOMPARE(attempt.toObject().value("status").toString(), QStringLiteral("failed"));
        QVERIFY(attempt.toObject().value("stdout").toArray().contains(note));
    }
    RunResults readBack;
    QString error;
    QVERIFY2(CtrfDocument::toResults(CtrfDocument::fromResults(results), &readBack, &error), qPrintable(error));
    QCOMPARE(readBack.failureStatus(), failureStatus);

    const QString page = HtmlReport::page(results);
    QVERIFY(page.contains(
        QStringLiteral("class=\"row %1\"").arg(flaky ? QStringLiteral("flaky") : QStringLiteral("fail"))));
    // Every try, with its verdict.
    QCOMPARE(page.count(QStringLiteral("<h3>FAIL in ")), tries.count(QLatin1Char('F')));
    QCOMPARE(page.count(QStringLiteral("<h3>PASS in ")), flaky && status == QLatin1String("passed") ? 1 : 0);
}

QTEST_GUILESS_MAIN(TestRetriedRows)
#include "tst_retriedrows.moc"
