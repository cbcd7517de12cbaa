#include "commandline/checkoptions.h"

#include <QtTest>

namespace {

bool writeFile(const QString &path, QFile::Permissions extra = {})
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write("#!/bin/sh\n");
    file.close();
    return file.setPermissions(file.permissions() | extra);
}

// The parse error of arguments, or what describe says of the options they give.
template<typename Describe>
QString parsed(const QStringList &arguments, Describe describe)
{
    CheckOptions options;
    if (options.parse(QStringList{"korvu-check"} + arguments, {}) == CheckOptions::ParseResult::Error)
        return options.parseError();
    return describe(options);
}

} // namespace

class TestCheckOptions : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void testValidation_data();
    void testValidation();
    void testParse_data();
    void testParse();
    void testRunOptions_data();
    void testRunOptions();
    void testBareDaemonNameIsLookedUpOnPath();
    void testStopOptions_data();
    void testStopOptions();
    void testRunId_data();
    void testRunId();
    void testHelpText_data();
    void testHelpText();

private:
    QString path(const QString &name) const;
    CheckOptions validOptions() const;

    QTemporaryDir m_dir;
};

void TestCheckOptions::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY(writeFile(path("korvud"), QFile::ExeOwner));
    QVERIFY(writeFile(path("testdeliveries"), QFile::ExeOwner));
    QVERIFY(writeFile(path("plain-file")));
    QVERIFY(QDir().mkpath(path("mocks")));
    QVERIFY(writeFile(path("mocks/libdeliverymocks.so")));
    QVERIFY(QDir().mkpath(path("experience")));
    QVERIFY(writeFile(path("experience/libplavodelivery.so")));
    QVERIFY(QDir().mkpath(path("no-library")));
    QVERIFY(writeFile(path("no-library/README")));
}

QString TestCheckOptions::path(const QString &name) const { return m_dir.filePath(name); }

CheckOptions TestCheckOptions::validOptions() const
{
    CheckOptions options;
    options.daemon = path("korvud");
    options.suite = path("testdeliveries");
    options.mocksDir = path("mocks");
    options.experienceDir = path("experience");
    return options;
}

void TestCheckOptions::testValidation_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("problem");

    QTest::newRow("all in place") << ""
                                  << ""
                                  << "";
    QTest::newRow("missing daemon") << "daemon"
                                    << "missing/korvud"
                                    << "daemon not found: <dir>/missing/korvud";
    QTest::newRow("daemon not executable") << "daemon"
                                           << "plain-file"
                                           << "daemon is not an executable file: <dir>/plain-file";
    QTest::newRow("daemon is a folder") << "daemon"
                                        << "mocks"
                                        << "daemon is not an executable file: <dir>/mocks";
    QTest::newRow("missing mocks folder") << "mocks"
                                          << "nowhere"
                                          << "mocks plug-in folder not found: <dir>/nowhere";
    QTest::newRow("mocks folder without library") << "mocks"
                                                  << "no-library"
                                                  << "mocks plug-in folder holds no shared library: <dir>/no-library";
    QTest::newRow("mocks is a file") << "mocks"
                                     << "plain-file"
                                     << "mocks plug-in folder is not a folder: <dir>/plain-file";
    QTest::newRow("missing experience folder") << "experience"
                                               << "nowhere"
                                               << "experience plug-in folder not found: <dir>/nowhere";
    QTest::newRow("missing suite") << "suite"
                                   << "missing/testdeliveries"
                                   << "suite not found: <dir>/missing/testdeliveries";
    QTest::newRow("JUnit file name with a comma") << "junit"
                                                  << "a,b.xml"
                                                  << "";
    QTest::newRow("JUnit file in a missing folder") << "junit"
                                                    << "nowhere/r.xml"
                                                    << "cannot write the JUnit file into <dir>/nowhere";
    QTest::newRow("earlier report missing") << "durations"
                                            << "missing.json"
                                            << "--durations-from: cannot read <dir>/missing.json";
    QTest::newRow("trace folder made when missing") << "traces"
                                                    << "traces/new"
                                                    << "";
    QTest::newRow("trace folder that is a file") << "traces"
                                                 << "plain-file"
                                                 << "cannot create the trace folder <dir>/plain-file";
    QTest::newRow("a listing of the suite in shards") << "shards"
                                                      << "-functions"
                                                      << "the suite's -functions runs no check; give it without -j, "
                                                         "--shard and --repeat";
}

void TestCheckOptions::testValidation()
{
    QFETCH(QString, field);
    QFETCH(QString, value);
    QFETCH(QString, problem);

    CheckOptions options = validOptions();
    const QString fullValue = path(value);
    if (field == "daemon")
        options.daemon = fullValue;
    else if (field == "mocks")
        options.mocksDir = fullValue;
    else if (field == "experience")
        options.experienceDir = fullValue;
    else if (field == "suite")
        options.suite = fullValue;
    else if (field == "junit")
        options.reports.junitFile = fullValue;
    else if (field == "traces")
        options.keepTracesDir = fullValue;
    else if (field == "durations")
        options.durationsFile = fullValue;
    if (field == "shards") {
        options.jobsAuto = true;
        options.suiteArguments = QStringList{value};
    }

    const QString result = options.validate();
    problem.replace("<dir>", m_dir.path());
    if (problem.isEmpty())
        QCOMPARE(result, QString());
    else
        QVERIFY2(result.contains(problem), qPrintable(result));
    QVERIFY2(!result.contains('\n'), "a problem is reported in one line");
}

void TestCheckOptions::testParse_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("result");
    QTest::addColumn<QString>("daemon");
    QTest::addColumn<QStringList>("suiteArguments");
    QTest::addColumn<QString>("error");

    const int run = int(CheckOptions::ParseResult::Run);
    const int error = int(CheckOptions::ParseResult::Error);
    QTest::newRow("defaults") << QStringList() << run << "/build/korvud" << QStringList() << "";
    QTest::newRow("own daemon") << QStringList{"--daemon", "/opt/korvud"} << run << "/opt/korvud" << QStringList()
                                << "";
    QTest::newRow("suite arguments after --")
        << QStringList{"--keep", "--", "testDelivery", "DPD Prio", "-v2", "--daemon", "x"} << run << "/build/korvud"
        << QStringList{"testDelivery", "DPD Prio", "-v2", "--daemon", "x"} << "";
    QTest::newRow("suite argument before --")
        << QStringList{"testDelivery"} << error << "" << QStringList()
        << "unexpected argument 'testDelivery' (arguments for the suite go after --)";
    QTest::newRow("suite option before --")
        << QStringList{"-v2"} << error << "" << QStringList() << "(arguments for the suite go after --)";
    QTest::newRow("option without its value")
        << QStringList{"--daemon"} << error << "" << QStringList() << "Missing value after '--daemon'";
    QTest::newRow("help") << QStringList{"--help"} << int(CheckOptions::ParseResult::ShowHelp) << "" << QStringList()
                          << "";
}

void TestCheckOptions::testParse()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, result);
    QFETCH(QString, daemon);
    QFETCH(QStringList, suiteArguments);
    QFETCH(QString, error);

    CheckOptions options;
    const CheckOptions::Defaults defaults = {"/build/testdeliveries", "/build/korvud", "/build/mocks",
                                             "/build/experience"};
    QCOMPARE(int(options.parse(QStringList{"korvu-check"} + arguments, defaults)), result);
    QVERIFY2(options.parseError().contains(error), qPrintable(options.parseError()));
    if (result != int(CheckOptions::ParseResult::Run))
        return;
    QCOMPARE(options.daemon, daemon);
    QCOMPARE(options.suite, QStringLiteral("/build/testdeliveries"));
    QCOMPARE(options.suiteArguments, suiteArguments);
}

void TestCheckOptions::testRunOptions_data()
{
    QTest::addColumn<QStringList>("arguments");
    // "jobs/auto/repeat/slice/count/watch", or the parse error.
    QTest::addColumn<QString>("result");

    QTest::newRow("the suite as written") << QStringList() << "0/0/1/0/0/0";
    QTest::newRow("four shards at a time") << QStringList{"-j", "4"} << "4/0/1/0/0/0";
    QTest::newRow("all shards at once") << QStringList{"--jobs", "auto"} << "0/1/1/0/0/0";
    QTest::newRow("repeats and a slice") << QStringList{"--repeat", "20", "--shard", "2/3"} << "0/0/20/2/3/0";
    QTest::newRow("watched, in shards, repeated")
        << QStringList{"--watch", "-j", "auto", "--repeat", "3"} << "0/1/3/0/0/1";
    QTest::newRow("watching a slice") << QStringList{"--watch", "--shard", "1/2"}
                                      << "--watch runs the whole selection on this machine; leave out --shard";
    QTest::newRow("no shard at a time") << QStringList{"-j", "0"}
                                        << "-j takes a number of at least 1 or 'auto', not '0'";
    QTest::newRow("no repeat") << QStringList{"--repeat", "none"}
                               << "--repeat takes a number of at least 1, not 'none'";
    QTest::newRow("slice beyond the count")
        << QStringList{"--shard", "4/3"} << "--shard takes k/n with 1 <= k <= n, such as 2/4, not '4/3'";
    QTest::newRow("slice without count") << QStringList{"--shard", "2"}
                                         << "--shard takes k/n with 1 <= k <= n, such as 2/4, not '2'";
    QTest::newRow("slice from unset CI variables")
        << QStringList{"--shard", "/"}
        << "--shard takes k/n, but k or n in '/' is empty; are the variables that should give them set (such as "
           "CI_NODE_INDEX and CI_NODE_TOTAL)?";
    QTest::newRow("empty run id") << QStringList{"--run-id", ""} << "--run-id takes an id that is not empty";
    // Refused before the suite is listed.
    QTest::newRow("grep pattern that is no pattern")
        << QStringList{"--grep", "DHL("}
        << "--grep 'DHL(' is no valid pattern: missing closing parenthesis at offset 4";
    QTest::newRow("empty grep-invert pattern")
        << QStringList{"--grep-invert", ""} << "--grep-invert takes a pattern that is not empty";
}

void TestCheckOptions::testRunOptions()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, result);

    QCOMPARE(parsed(arguments,
                    [](const CheckOptions &options) {
                        return QStringLiteral("%1/%2/%3/%4/%5/%6")
                            .arg(options.jobs)
                            .arg(int(options.jobsAuto))
                            .arg(options.repeat)
                            .arg(options.sliceIndex)
                            .arg(options.sliceCount)
                            .arg(int(options.watch));
                    }),
             result);
}

void TestCheckOptions::testStopOptions_data()
{
    QTest::addColumn<QStringList>("arguments");
    // "maxFailures/timeoutSecs", or the parse error.
    QTest::addColumn<QString>("result");

    QTest::newRow("no limits") << QStringList() << "0/0";
    QTest::newRow("first failure") << QStringList{"-x"} << "1/0";
    QTest::newRow("three failures, ten seconds") << QStringList{"--max-failures", "3", "--timeout", "10"} << "3/10";
    QTest::newRow("no failure allowed") << QStringList{"--max-failures", "0"}
                                        << "--max-failures takes a number of at least 1, not '0'";
    QTest::newRow("timeout in minutes") << QStringList{"--timeout", "2m"}
                                        << "--timeout takes a number of seconds of at least 1, not '2m'";
}

void TestCheckOptions::testStopOptions()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, result);

    QCOMPARE(parsed(arguments,
                    [](const CheckOptions &options) {
                        return QStringLiteral("%1/%2").arg(options.maxFailures).arg(options.timeoutSecs);
                    }),
             result);
}

void TestCheckOptions::testBareDaemonNameIsLookedUpOnPath()
{
    const QString shell = QStandardPaths::findExecutable("sh");
    if (shell.isEmpty())
        QSKIP("no sh on PATH");
    CheckOptions options = validOptions();
    options.daemon = "sh";
    QCOMPARE(options.validate(), QString());
    QCOMPARE(options.daemon, shell);
}

void TestCheckOptions::testRunId_data()
{
    QTest::addColumn<QStringList>("variables");
    QTest::addColumn<QStringList>("arguments");
    // Empty: a new UUID.
    QTest::addColumn<QString>("runId");

    QTest::newRow("GitHub Actions, any attempt")
        << QStringList{"GITHUB_RUN_ID=812", "GITHUB_RUN_ATTEMPT=2"} << QStringList() << "github-812";
    QTest::newRow("GitLab CI") << QStringList{"CI_PIPELINE_ID=77", "CI_NODE_INDEX=1"} << QStringList() << "gitlab-77";
    QTest::newRow("no CI system known") << QStringList{"CI=true"} << QStringList() << "";
    QTest::newRow("given over the CI system's")
        << QStringList{"GITHUB_RUN_ID=812"} << QStringList{"--run-id", "nightly-3"} << "nightly-3";
}

void TestCheckOptions::testRunId()
{
    QFETCH(QStringList, variables);
    QFETCH(QStringList, arguments);
    QFETCH(QString, runId);

    // The CI system this test may itself run in does not decide the row.
    qunsetenv("GITHUB_RUN_ID");
    qunsetenv("CI_PIPELINE_ID");
    for (const QString &variable : variables)
        qputenv(qPrintable(variable.section('=', 0, 0)), variable.section('=', 1).toUtf8());
    CheckOptions options;
    const CheckOptions::ParseResult result = options.parse(QStringList{"korvu-check"} + arguments, {});
    for (const QString &variable : variables)
        qunsetenv(qPrintable(variable.section('=', 0, 0)));

    QCOMPARE(result, CheckOptions::ParseResult::Run);
    if (runId.isEmpty())
        QVERIFY2(!QUuid::fromString(options.runId).isNull(), qPrintable(options.runId));
    else
        QCOMPARE(options.runId, runId);
}

void TestCheckOptions::testHelpText_data()
{
    QTest::addColumn<QString>("option");
    QTest::addColumn<int>("maxLines");
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<QStringList>("leftOut");

    // A terminal's worth, with every option's text on its line.
    QTest::newRow("help") << "--help" << 50 << QStringList{"korvu-check(1)", "Run only slice <k> of <n>"}
                          << QStringList{"--help-manual", "balanced by expected time", "with every run's verdict"};
    // What help2man makes the manual page of.
    QTest::newRow("manual") << "--help-manual" << 500
                            << QStringList{"balanced by expected time", "with every run's verdict",
                                           "Arguments after -- go to the suite"}
                            << QStringList{"--help-manual", "korvu-check(1)"};
}

void TestCheckOptions::testHelpText()
{
    QFETCH(QString, option);
    QFETCH(int, maxLines);
    QFETCH(QStringList, shown);
    QFETCH(QStringList, leftOut);

    // Called as the parser sees this program, so that the usage line names korvu-check.
    CheckOptions options;
    QCOMPARE(options.parse({QCoreApplication::arguments().constFirst(), option}, {}),
             CheckOptions::ParseResult::ShowHelp);
    const QString help = options.helpText();
    const QStringList lines = help.trimmed().split('\n');
    QVERIFY2(lines.size() <= maxLines, qPrintable(QString::number(lines.size())));
    for (const QString &line : lines)
        QVERIFY2(line.size() <= 80, qPrintable(line));
    for (const QString &text : shown)
        QVERIFY2(help.contains(text), qPrintable(text));
    for (const QString &text : leftOut)
        QVERIFY2(!help.contains(text), qPrintable(text));
}

QTEST_GUILESS_MAIN(TestCheckOptions)
#include "tst_checkoptions.moc"
