// Runs the built korvu-check with stand-ins for the daemon and the suite.
#include "reports/ctrfdocument.h"
#include "reports/junitreport.h"
#include "tests/checkprocess.h"
#include "tests/junitfile.h"

#include <QtTest>

namespace {

const int runTimeoutMsecs = 60000;

using CheckResult = CheckProcess::Result;

} // namespace

class TestKorvuCheck : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void testDaemonDoesNotStart_data();
    void testDaemonDoesNotStart();
    void testBadCommandLine_data();
    void testBadCommandLine();
    void testRunReportsEveryVerdict();
    void testSuiteArgumentsPassThrough_data();
    void testSuiteArgumentsPassThrough();
    void testSuiteCrash();
    void testShardsReportLikeOneRun_data();
    void testShardsReportLikeOneRun();
    void testRepeatMarksFlakyRows_data();
    void testRepeatMarksFlakyRows();
    void testSlicesHoldEveryCaseOnce_data();
    void testSlicesHoldEveryCaseOnce();
    void testUnknownSelection_data();
    void testUnknownSelection();
    void testOtherQtMajor_data();
    void testOtherQtMajor();
    void testRunTreeRemoval_data();
    void testRunTreeRemoval();

private:
    QStringList fakes() const;
    QString path(const QString &name) const;
    QString writeScript(const QString &name, const QByteArray &body) const;
    QStringList plugins() const;
    CheckResult runCheck(const QStringList &arguments, const QStringList &extraEnvironment = QStringList()) const;

    QTemporaryDir m_dir;
};

void TestKorvuCheck::initTestCase()
{
    QVERIFY(m_dir.isValid());
    for (const QString &plugin :
         {QStringLiteral("mocks/libdeliverymocks.so"), QStringLiteral("experience/libplavodelivery.so")}) {
        QVERIFY(QDir().mkpath(QFileInfo(path(plugin)).path()));
        QFile file(path(plugin));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
}

QString TestKorvuCheck::path(const QString &name) const { return m_dir.filePath(name); }

QString TestKorvuCheck::writeScript(const QString &name, const QByteArray &body) const
{
    QFile script(path(name));
    if (!script.open(QIODevice::WriteOnly))
        return QString();
    script.write("#!/bin/sh\n" + body + '\n');
    script.close();
    script.setPermissions(script.permissions() | QFile::ExeOwner);
    return script.fileName();
}

QStringList TestKorvuCheck::fakes() const
{
    return QStringList{"--daemon", FAKE_DAEMON, "--suite", FAKE_SUITE} + plugins();
}

QStringList TestKorvuCheck::plugins() const { return {"--mocks", path("mocks"), "--experience", path("experience")}; }

CheckResult TestKorvuCheck::runCheck(const QStringList &arguments, const QStringList &extraEnvironment) const
{
    return CheckProcess::run(arguments, extraEnvironment, runTimeoutMsecs);
}

void TestKorvuCheck::testDaemonDoesNotStart_data()
{
    QTest::addColumn<QByteArray>("daemonScript");
    QTest::addColumn<QStringList>("expectedLines");

    QTest::newRow("exits at once with an error")
        << QByteArray("echo 'korvud: cannot open the database in /nowhere' >&2\nexit 3")
        << QStringList{"korvu-check: korvud exited at start-up with status 3; its last output:",
                       "  korvud: cannot open the database in /nowhere"};
    QTest::newRow("dies of a signal") << QByteArray("echo 'loading plug-ins'\nkill -SEGV $$")
                                      << QStringList{
                                             "korvu-check: korvud died at start-up of signal 11; its last output:",
                                             "  loading plug-ins"};
    QTest::newRow("never listens")
        << QByteArray("echo 'waiting for nothing'\nexec sleep 30")
        << QStringList{"korvu-check: korvud did not accept connections on 127.0.0.1:2222 within 2 s; its last output:",
                       "  waiting for nothing"};
}

void TestKorvuCheck::testDaemonDoesNotStart()
{
    QFETCH(QByteArray, daemonScript);
    QFETCH(QStringList, expectedLines);

    const QString daemon = writeScript(QTest::currentDataTag(), daemonScript);
    const QString junit = path("stale-report.xml");
    QFile stale(junit);
    QVERIFY(stale.open(QIODevice::WriteOnly));
    stale.write("<testsuite name=\"FakeSuite\" tests=\"1\" failures=\"0\" errors=\"0\" skipped=\"0\"/>");
    stale.close();

    const CheckResult result = runCheck(
        QStringList{"--daemon", daemon, "--suite", FAKE_SUITE, "--junit", junit, "--start-timeout", "2"} + plugins());
    QCOMPARE(result.status, 4);
    QCOMPARE(result.err.split('\n', Qt::SkipEmptyParts), expectedLines);
    QVERIFY2(!result.out.contains("PASS"), "the suite must not run");
    QVERIFY2(result.msecs < 10000, qPrintable(QString::number(result.msecs)));

    // The report of an earlier run must not survive: CI would read it as this run's.
    const JunitFile report = JunitFile::read(junit);
    QVERIFY2(report.error.isEmpty(), qPrintable(report.error));
    QCOMPARE(report.counts(), QStringLiteral("1/0/1/0"));
    QCOMPARE(report.summaries(), QStringList{"korvu-check setup: error [setup] " + expectedLines.constFirst().mid(13)});
}

void TestKorvuCheck::testBadCommandLine_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("expectedError");

    QTest::newRow("missing daemon") << QStringList{
        "--daemon", "/nowhere/korvud", "--suite",
        FAKE_SUITE} << "korvu-check: daemon not found: /nowhere/korvud (build korvud or pass --daemon)\n";
    QTest::newRow("suite arguments without --")
        << QStringList{"--daemon", FAKE_DAEMON, "--suite", FAKE_SUITE, "testDelivery"}
        << "korvu-check: unexpected argument 'testDelivery' (arguments for the suite go after --)\n";
}

void TestKorvuCheck::testBadCommandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, expectedError);

    const CheckResult result = runCheck(arguments + plugins());
    QCOMPARE(result.status, 2);
    QCOMPARE(result.err, expectedError);
    QCOMPARE(result.out, QString());
}

void TestKorvuCheck::testRunReportsEveryVerdict()
{
    const QString junit = path("report.xml");
    const QString json = CheckProcess::ctrfDocument("failing-run.json");
    const CheckResult result = runCheck(fakes() + QStringList{"--junit", junit, "--json", json});
    QCOMPARE(result.status, 1);
    QVERIFY2(result.err.isEmpty(), qPrintable(result.err));

    const QStringList expectedInOrder = {
        "PASS  initTestCase  ",
        "PASS  testRunTree  ",
        "PASS  testDelivery(plain)  ",
        "FAIL  testDelivery(code (with spaces), late)  ",
        "      'succeeds' returned FALSE. (delivery not granted",
        "      second line)",
        "      at ",
        "SKIP  testSkipped  ",
        "      no scanner here",
        "PASS  testCrash  ",
        "PASS  cleanupTestCase  ",
        "Failures:",
        "  FAIL testDelivery(code (with spaces), late)",
        "Wall time: ",
        "JUnit report: " + junit,
        "CTRF report: " + json,
    };
    const QStringList lines = result.out.split('\n', Qt::SkipEmptyParts);
    int next = 0;
    for (const QString &line : lines) {
        if (next < expectedInOrder.size() && line.startsWith(expectedInOrder.at(next)))
            ++next;
    }
    QVERIFY2(next == expectedInOrder.size(), qPrintable("missing: " + expectedInOrder.value(next) + "\n" + result.out));
    QCOMPARE(lines.constLast(), QStringLiteral("5 passed, 1 failed, 1 skipped"));
    QVERIFY2(!result.out.contains("QDEBUG"), "debug output only with --verbose");

    // One case per function and row; the suite's debug output is no error.
    const JunitFile report = JunitFile::read(junit);
    QVERIFY2(report.error.isEmpty(), qPrintable(report.error));
    QCOMPARE(report.suite.value("name").toString(), QStringLiteral("FakeSuite"));
    QCOMPARE(report.counts(), QStringLiteral("7/1/0/1"));
    const QStringList expectedCases = {
        "initTestCase: passed",
        "testRunTree: passed",
        "testDelivery(plain): passed",
        "testDelivery(code (with spaces), late): failure [fail] 'succeeds' returned FALSE. (delivery not granted",
        "testSkipped: skipped no scanner here",
        "testCrash: passed",
        "cleanupTestCase: passed",
    };
    QCOMPARE(report.summaries(), expectedCases);
    QVERIFY2(report.systemOut.contains("QDEBUG : FakeSuite::testRunTree() Running in: "), qPrintable(report.systemOut));

    // The CTRF document holds the run as the JUnit report shows it.
    RunResults readBack;
    QString error;
    QVERIFY2(CtrfDocument::read(json, &readBack, &error), qPrintable(error));
    QVERIFY(JunitReport().writeFile(readBack, path("read-back.xml"), &error));
    QCOMPARE(JunitFile::read(path("read-back.xml")).summaries(), expectedCases);
    QCOMPARE(JunitFile::read(path("read-back.xml")).systemOut, report.systemOut);
}

void TestKorvuCheck::testSuiteArgumentsPassThrough_data()
{
    QTest::addColumn<QStringList>("suiteArguments");
    QTest::addColumn<QString>("ctrf");

    QTest::newRow("a row and an option") << QStringList{"testDelivery:plain", "-v2"} << "passing-run.json";
    // Run twice in one process, the row would be shown twice and counted once.
    QTest::newRow("a row named twice runs once")
        << QStringList{"testDelivery:plain", "-v2", "testDelivery:plain"} << "row-named-twice.json";
}

void TestKorvuCheck::testSuiteArgumentsPassThrough()
{
    QFETCH(QStringList, suiteArguments);
    QFETCH(QString, ctrf);

    const CheckResult result = runCheck(fakes() + QStringList{"--json", CheckProcess::ctrfDocument(ctrf), "--"}
                                        + suiteArguments);
    QCOMPARE(result.status, 0);
    QCOMPARE(result.out.count(QStringLiteral("PASS  testDelivery(plain)")), 1);
    QVERIFY2(result.out.endsWith("3 passed, 0 failed, 0 skipped\n"), qPrintable(result.out));
}

void TestKorvuCheck::testSuiteCrash()
{
    const QString junit = path("crash.xml");
    const CheckResult result = runCheck(
        fakes() + QStringList{"--junit", junit, "--json", CheckProcess::ctrfDocument("crash.json")},
        {"FAKE_SUITE_CRASH=1"});
    QCOMPARE(result.status, 128 + 9);
    QVERIFY2(result.out.contains("  FAIL fakesuite died of signal 9 during testCrash\n"), qPrintable(result.out));
    QVERIFY2(result.out.endsWith("3 passed, 2 failed, 1 skipped\n"), qPrintable(result.out));

    const JunitFile report = JunitFile::read(junit);
    QVERIFY2(report.error.isEmpty(), qPrintable(report.error));
    QCOMPARE(report.counts(), QStringLiteral("6/1/1/1"));
    QCOMPARE(report.summaries().constLast(),
             QStringLiteral("testCrash: error [crash] fakesuite died of signal 9 during testCrash"));
}

void TestKorvuCheck::testShardsReportLikeOneRun_data()
{
    QTest::addColumn<QString>("jobs");
    QTest::newRow("all at once") << "auto";
    QTest::newRow("one at a time") << "1";
}

void TestKorvuCheck::testShardsReportLikeOneRun()
{
    QFETCH(QString, jobs);

    const QString serialReport = path("serial.xml");
    const QString shardReport = path("shards.xml");
    const CheckResult serial = runCheck(fakes() + QStringList{"--junit", serialReport});
    const CheckResult sharded = runCheck(fakes() + QStringList{"-j", jobs, "--junit", shardReport});
    QCOMPARE(sharded.status, serial.status);
    QVERIFY2(sharded.err.isEmpty(), qPrintable(sharded.err));
    QVERIFY2(sharded.out.startsWith("korvu-check: " FAKE_SUITE " against " FAKE_DAEMON ": 3 shards, up to "),
             qPrintable(sharded.out));

    // The summary is the serial run's, but for the times and the report's name.
    auto summary = [](const QString &out) {
        QStringList lines = out.mid(out.indexOf("\n\n")).split('\n');
        lines = lines.filter(QRegularExpression("^(?!Wall time: |JUnit report: |      at )"));
        return lines;
    };
    QCOMPARE(summary(sharded.out), summary(serial.out));
    // Every shard passes its hooks, and they count once.
    QVERIFY2(!sharded.out.contains("initTestCase"), qPrintable(sharded.out));

    const JunitFile serialCases = JunitFile::read(serialReport);
    const JunitFile shardCases = JunitFile::read(shardReport);
    QVERIFY2(shardCases.error.isEmpty(), qPrintable(shardCases.error));
    QCOMPARE(shardCases.summaries(), serialCases.summaries());
    QCOMPARE(shardCases.counts(), QStringLiteral("7/1/0/1"));
}

void TestKorvuCheck::testRepeatMarksFlakyRows_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("the suite as one process") << QStringList();
    QTest::newRow("in shards") << QStringList{"-j", "1"};
}

void TestKorvuCheck::testRepeatMarksFlakyRows()
{
    QFETCH(QStringList, arguments);

    const QString junit = path("repeat.xml");
    const QString marker = path(QStringLiteral("marker-%1").arg(QTest::currentDataTag()));
    const QString json = CheckProcess::ctrfDocument(
        QStringLiteral("repeat-%1.json").arg(QTest::currentDataTag()).replace(' ', '-'));
    const CheckResult result = runCheck(fakes() + arguments
                                            + QStringList{"--repeat", "3", "--junit", junit, "--json", json},
                                        {"FAKE_SUITE_FLAKY_MARKER=" + marker});
    QCOMPARE(result.status, 4);
    for (const char *line : {"    3/3  initTestCase\n", "    2/3  testDelivery(plain)  FLAKY\n",
                             "    0/3  testDelivery(code (with spaces), late)\n",
                             "  FAIL testDelivery(plain)  (run 1 of 3)\n    first run\n",
                             "  FAIL testDelivery(code (with spaces), late)  (runs 1, 2, 3 of 3)\n", "Flaky: 1\n"}) {
        QVERIFY2(result.out.contains(line), qPrintable(QString(line) + " is missing:\n" + result.out));
    }
    QVERIFY2(result.out.endsWith("14 passed, 4 failed, 3 skipped\n"), qPrintable(result.out));

    const JunitFile report = JunitFile::read(junit);
    QVERIFY2(report.error.isEmpty(), qPrintable(report.error));
    QCOMPARE(report.names(),
             (QStringList{"initTestCase", "testRunTree", "testDelivery(plain)",
                          "testDelivery(code (with spaces), late)", "testSkipped", "testCrash", "cleanupTestCase"}));
    QCOMPARE(report.summaries().at(2),
             QStringLiteral("testDelivery(plain): failure [flaky] flaky: passed 2 of 3 runs"));
}

void TestKorvuCheck::testSlicesHoldEveryCaseOnce_data()
{
    QTest::addColumn<int>("slices");
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("2 slices, each as one process") << 2 << QStringList();
    QTest::newRow("3 slices in shards") << 3 << QStringList{"-j", "auto"};
}

void TestKorvuCheck::testSlicesHoldEveryCaseOnce()
{
    QFETCH(int, slices);
    QFETCH(QStringList, arguments);

    const QString serialReport = path("whole.xml");
    QCOMPARE(runCheck(fakes() + QStringList{"--junit", serialReport}).status, 1);
    QStringList expected = JunitFile::read(serialReport).summaries().filter(QRegularExpression("^(?!\\w+TestCase:)"));

    QStringList cases;
    for (int slice = 1; slice <= slices; ++slice) {
        const QString junit = path(QStringLiteral("slice-%1-of-%2.xml").arg(slice).arg(slices));
        const QString shard = QStringLiteral("%1/%2").arg(slice).arg(slices);
        const QString json = CheckProcess::ctrfDocument(QStringLiteral("slice-%1-of-%2.json").arg(slice).arg(slices));
        const CheckResult result = runCheck(fakes() + arguments
                                            + QStringList{"--shard", shard, "--junit", junit, "--json", json});
        QVERIFY2(result.status == 0 || result.status == 1, qPrintable(result.out + result.err));
        const JunitFile report = JunitFile::read(junit);
        QVERIFY2(report.error.isEmpty(), qPrintable(report.error));
        cases += report.summaries();
        // The hooks ran in every slice, under names of their own, first and last.
        QCOMPARE(report.names().constFirst(), QStringLiteral("initTestCase(slice %1)").arg(shard));
        QCOMPARE(report.names().constLast(), QStringLiteral("cleanupTestCase(slice %1)").arg(shard));
        for (const char *hook : {"initTestCase", "cleanupTestCase"})
            expected.append(QStringLiteral("%1(slice %2): passed").arg(hook, shard));
    }
    cases.sort();
    expected.sort();
    QCOMPARE(cases, expected);
}

void TestKorvuCheck::testUnknownSelection_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("selection");
    QTest::addColumn<QString>("expectedError");

    const QString noFunction = QStringLiteral("korvu-check: the suite has no test function 'testNothing'\n");
    const QString noRow = QStringLiteral(
        "korvu-check: testDelivery has no data row 'Plain'. Possible matches: 'plain'\n");
    QTest::newRow("one run") << QStringList() << "testNothing" << noFunction;
    QTest::newRow("one run, a row") << QStringList() << "testDelivery:Plain" << noRow;
    QTest::newRow("--repeat") << QStringList{"--repeat", "2"} << "testDelivery:Plain" << noRow;
    QTest::newRow("--retries") << QStringList{"--retries", "1"} << "testNothing" << noFunction;
    QTest::newRow("-j") << QStringList{"-j", "2"} << "testNothing" << noFunction;
    QTest::newRow("--shard") << QStringList{"--shard", "1/2"} << "testDelivery:Plain" << noRow;
}

// Refused before a daemon starts: the suite would run nothing for it and pass.
void TestKorvuCheck::testUnknownSelection()
{
    QFETCH(QStringList, options);
    QFETCH(QString, selection);
    QFETCH(QString, expectedError);

    const QString started = path("daemon-started");
    const QString daemon = writeScript(QStringLiteral("daemon-%1").arg(QTest::currentDataTag()),
                                       "touch '" + started.toUtf8() + "'\nexec '" FAKE_DAEMON "' \"$@\"");
    const CheckResult result = runCheck(QStringList{"--daemon", daemon, "--suite", FAKE_SUITE} + plugins() + options
                                        + QStringList{"--", "-maxwarnings", "0", selection});
    QCOMPARE(result.status, 2);
    QCOMPARE(result.err, expectedError);
    QVERIFY(!QFileInfo::exists(started));
}

void TestKorvuCheck::testOtherQtMajor_data()
{
    QTest::addColumn<QString>("daemon");
    QTest::addColumn<QString>("mocks");
    QTest::addColumn<QStringList>("expectedParts");
    QTest::addColumn<QString>("expectedAdvice");

#ifndef KORVU_OTHER_QT_BUILD_DIR
    QSKIP("only the Qt 6 tree knows a Qt 5 tree to mix with");
#else
    const QString other = QStringLiteral(KORVU_OTHER_QT_BUILD_DIR);
    QTest::newRow("a daemon of the other Qt major")
        << other + "/daemon/korvud" << QStringLiteral(KORVU_BUILT_MOCKS)
        << QStringList{"korvud links Qt 5", "the mocks plug-in links Qt 6", "the experience plug-in links Qt 6"}
        << "For a daemon built with Qt 5 use korvu-delivery-checks, or pass --mocks and --experience built with Qt 5";
    QTest::newRow("mocks of the other Qt major")
        << QStringLiteral(KORVU_BUILT_DAEMON) << other + "/tests/mocks"
        << QStringList{"korvud links Qt 6", "the mocks plug-in links Qt 5", "the experience plug-in links Qt 6"}
        << "For a daemon built with Qt 6 use korvu-delivery-checks-qt6, or pass --mocks and --experience built with "
           "Qt 6";
#endif
}

// Refused before anything starts: the plug-ins would not load, and the checks
// would fail for a reason no verdict names.
void TestKorvuCheck::testOtherQtMajor()
{
#ifdef KORVU_OTHER_QT_BUILD_DIR
    QFETCH(QString, daemon);
    QFETCH(QString, mocks);
    QFETCH(QStringList, expectedParts);
    QFETCH(QString, expectedAdvice);

    const CheckResult result = runCheck(
        {"--daemon", daemon, "--mocks", mocks, "--experience", KORVU_BUILT_EXPERIENCE, "--suite", FAKE_SUITE});
    QCOMPARE(result.status, 2);
    const QStringList lines = result.err.split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 1);
    for (const QString &part : expectedParts)
        QVERIFY2(lines.constFirst().contains(part), qPrintable(lines.constFirst()));
    QVERIFY2(lines.constFirst().endsWith(expectedAdvice), qPrintable(lines.constFirst()));
    QVERIFY2(!result.out.contains("PASS"), "the suite must not run");
#endif
}

void TestKorvuCheck::testRunTreeRemoval_data()
{
    QTest::addColumn<bool>("keep");
    QTest::newRow("removed") << false;
    QTest::newRow("kept with --keep") << true;
}

void TestKorvuCheck::testRunTreeRemoval()
{
    QFETCH(bool, keep);

    QStringList arguments = fakes() + QStringList{"--verbose"};
    if (keep)
        arguments.append("--keep");
    const CheckResult result = runCheck(arguments + QStringList{"--", "testRunTree"});
    QCOMPARE(result.status, 0);

    const QRegularExpression runningIn(
        "QDEBUG : FakeSuite::testRunTree\\(\\) Running in: \"(.*)/tests/auto/deliveries\"");
    const QRegularExpressionMatch match = runningIn.match(result.out);
    QVERIFY2(match.hasMatch(), qPrintable(result.out));
    const QString root = match.captured(1);
    QCOMPARE(QFileInfo::exists(root), keep);
    if (keep) {
        QVERIFY(result.out.contains("Run tree kept: " + root + "\n"));
        QVERIFY(QDir(root).removeRecursively());
    }
}

QTEST_GUILESS_MAIN(TestKorvuCheck)
#include "tst_korvucheck.moc"
