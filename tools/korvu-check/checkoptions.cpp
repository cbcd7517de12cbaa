#include "checkoptions.h"
#include "commandwords.h"
#include "connectionbound.h"
#include "daemonport.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>
#include <QStandardPaths>
#include <QUuid>

namespace {

const QString description = QStringLiteral(
    "Runs the delivery check suite against a korvud daemon and its plug-ins, in a\n"
    "temporary run tree and, where the machine allows, a private network namespace.\n"
    "Arguments after -- go to the suite unchanged (test functions, rows, -v2, ...).\n"
    "\n"
    "The suite, the DeliveryMocks plug-in, and a stand-in korvud with its\n"
    "PlavoDelivery plug-in come with korvu-check and are found beside it, in an\n"
    "installed tree or in the build tree it was built in. --daemon checks another\n"
    "korvud with them; --experience loads another PlavoDelivery plug-in into it.\n"
    "\n"
    "By default the suite runs as written: one process and one daemon for every\n"
    "function and row, in order. That is the run to trust, and the only one that\n"
    "sees a fault leaking from one row into the next. With -j the functions and\n"
    "rows run as shards, each a suite process with a daemon, data folder and\n"
    "network namespace of its own, several at a time; --shard runs one slice of\n"
    "the shards, for CI machines that share a run; 'korvu-check merge' puts their\n"
    "reports back together (korvu-check merge --help).\n"
    "\n"
    "Every failed row is shown with the JSON-RPC and HTTP exchanges the suite made\n"
    "for it, and so is its JUnit test case.\n"
    "\n"
    "--json writes a CTRF document (Common Test Report Format, ctrf.io), which CI\n"
    "dashboards and pull-request summaries read: one test per function and row,\n"
    "with its status, time, message, and under \"extra\" every run's verdict,\n"
    "exchanges and log lines. The document names its run (runId), which every\n"
    "slice of one run shares: in GitHub Actions github-<GITHUB_RUN_ID>, in GitLab\n"
    "CI gitlab-<CI_PIPELINE_ID> (a re-run job stays in its run), elsewhere a new\n"
    "UUID unless --run-id gives one. It also holds the SHA-256 of the suite and\n"
    "the daemon checked. --durations-from reads such a document of an earlier run\n"
    "and cuts the shards by the times measured there.\n"
    "\n"
    "Findings: korvud's output, as the suite logs it, is read for the reports of\n"
    "valgrind, AddressSanitizer, LeakSanitizer, UndefinedBehaviorSanitizer and\n"
    "ThreadSanitizer, and the suite's trace for a korvud that died of a signal the\n"
    "suite did not send. Each finding is shown under the function or row it\n"
    "appeared in (the hook initTestCase or cleanupTestCase outside of rows), in\n"
    "the summary, and as a failure of type \"daemon-finding\" in that JUnit test\n"
    "case. Findings change no verdict.\n"
    "\n"
    "--watch runs the check again whenever the daemon, a plug-in folder or the\n"
    "suite changes on disk: after a quiet spell of 0.4 s, once the parts have\n"
    "looked the same for another 0.3 s (a linker writes in pieces, or renames a\n"
    "new file over the old one) and are in place again. Until then korvu-check\n"
    "says once that it waits; a daemon being rewritten or briefly missing is no\n"
    "failure. A run during which a part changed is not compared, and the check\n"
    "runs again. Each run prints its progress, failures and summary as without\n"
    "--watch, then one line of the functions and rows fixed, newly failing and\n"
    "still failing since the run before, and writes --html, --json and --junit\n"
    "anew. Ctrl-C stops a running check, removes its run trees and ends the watch;\n"
    "the reports then show the stopped run, as they would without --watch.\n"
    "\n"
    "--retries runs a function or row that failed again, alone in a fresh shard;\n"
    "one that passes on a retry is flaky and fails the run only with\n"
    "--fail-on-flaky. Retries are tries of one run; --repeat runs everything again\n"
    "on purpose, and a failed try of any repetition is retried within it.\n"
    "\n"
    "Exit status: the suite's (with shards, repeats or retries: the number of\n"
    "functions and rows whose last try failed, at most 127); 2 for a bad command\n"
    "line or missing files, a selection after -- that names no function or row\n"
    "of the suite, or a daemon and plug-ins that link different Qt majors, all\n"
    "refused before korvud starts; 3 when the run tree or the network cannot be\n"
    "prepared, 4 when korvud does not come up, 5 when every check passed but\n"
    "korvud's output showed findings, 128 + N when the suite died of signal N or\n"
    "korvu-check was stopped by it. With --watch: 2 as soon as a run is refused\n"
    "so, else the status of the last run that completed while the parts stayed\n"
    "the same, or 128 + N when signal N stopped korvu-check before one did.");

// Qt Test options that list something and run nothing.
const QStringList listingOptions = {QStringLiteral("-functions"), QStringLiteral("-datatags"), QStringLiteral("-help"),
                                    QStringLiteral("-perfcounterlist")};

bool positiveNumber(const QString &text, int *number)
{
    bool ok = false;
    *number = text.toInt(&ok);
    return ok && *number >= 1;
}

QString absolute(const QString &path) { return path.isEmpty() ? path : QFileInfo(path).absoluteFilePath(); }

// A bare program name is looked up on PATH when there is no such file here.
QString resolveProgram(const QString &program)
{
    if (program.contains(QLatin1Char('/')) || QFileInfo::exists(program))
        return absolute(program);
    const QString found = QStandardPaths::findExecutable(program);
    return found.isEmpty() ? absolute(program) : found;
}

} // namespace

CheckOptions::CheckOptions()
    : startTimeoutSecs(connectionBoundMs / 1000)
{
}

CheckOptions::ParseResult CheckOptions::parse(const QStringList &arguments, const Defaults &defaults)
{
    QStringList ownArguments = arguments;
    const int separator = arguments.indexOf(QStringLiteral("--"));
    if (separator >= 0) {
        ownArguments = arguments.mid(0, separator);
        suiteArguments = arguments.mid(separator + 1);
    }

    QCommandLineParser parser;
    parser.setApplicationDescription(description);
    const QCommandLineOption helpOption = parser.addHelpOption();
    const QCommandLineOption versionOption = parser.addVersionOption();
    const QCommandLineOption daemonOption(QStringLiteral("daemon"),
                                          QStringLiteral("korvud executable to check (default: the stand-in korvud)."),
                                          QStringLiteral("path"));
    const QCommandLineOption mocksOption(
        QStringLiteral("mocks"), QStringLiteral("Folder of the mock plug-in (default: the bundled DeliveryMocks)."),
        QStringLiteral("dir"));
    const QCommandLineOption experienceOption(
        QStringLiteral("experience"),
        QStringLiteral("Folder of the experience plug-in (default: the bundled PlavoDelivery)."),
        QStringLiteral("dir"));
    const QCommandLineOption suiteOption(QStringLiteral("suite"),
                                         QStringLiteral("testdeliveries executable (default: the bundled suite)."),
                                         QStringLiteral("path"));
    const QCommandLineOption runIdOption(
        QStringLiteral("run-id"),
        QStringLiteral("The run the CTRF document belongs to, the same for every slice of it (default: "
                       "github-<GITHUB_RUN_ID> in GitHub Actions, gitlab-<CI_PIPELINE_ID> in GitLab CI, otherwise "
                       "a new UUID)."),
        QStringLiteral("id"));
    const QCommandLineOption durationsOption(
        QStringLiteral("durations-from"),
        QStringLiteral("Cut the shards by the time each function and row took in an earlier run, read from its "
                       "CTRF document (--json); the others keep their built-in expectations."),
        QStringLiteral("file"));
    const QCommandLineOption keepOption(
        QStringLiteral("keep"),
        QStringLiteral("Keep the temporary run tree (data folder, plug-in links, what a --wrap tool wrote) after "
                       "the run."));
    const QCommandLineOption startTimeoutOption(
        QStringLiteral("start-timeout"),
        QStringLiteral("Seconds the daemon korvu-check starts on its own may take to listen on 127.0.0.1:%1, "
                       "counted from its start (default: %2, as long as the suite waits for its daemon in every "
                       "shard; the suite waits no longer for a larger value).")
            .arg(daemonPort)
            .arg(connectionBoundMs / 1000),
        QStringLiteral("seconds"));
    const QCommandLineOption wrapOption(
        QStringLiteral("wrap"),
        QStringLiteral("Run korvud under a tool: every start of korvud runs '<command> <daemon> <the suite's "
                       "arguments>' with the environment unchanged, e.g. --wrap 'valgrind -q --error-exitcode=99'. "
                       "The words are split as a POSIX shell would, without expanding anything. The tool runs in "
                       "the run tree, where relative paths it writes to land. With -j, as many shards start their "
                       "daemon at a time as the machine has processors."),
        QStringLiteral("command"));
    const QCommandLineOption verboseOption(
        QStringLiteral("verbose"),
        QStringLiteral("Also print the suite's other log lines: debug output, warnings, -v2 output."));
    const QCommandLineOption jobsOption(
        {QStringLiteral("j"), QStringLiteral("jobs")},
        QStringLiteral("Run the functions and rows as shards, <n> at a time; 'auto' runs all shards at once. "
                       "Without private network namespaces the shards run one at a time."),
        QStringLiteral("n"));
    const QCommandLineOption repeatOption(
        QStringLiteral("repeat"),
        QStringLiteral("Run every selected function and row <n> times. The summary shows how often each passed "
                       "and marks those that both passed and failed as flaky."),
        QStringLiteral("n"));
    const QCommandLineOption retriesOption(
        QStringLiteral("retries"),
        QStringLiteral("Run a function or row that failed again, up to <n> more times, each time alone in a fresh "
                       "shard (its own suite process, daemon, data folder and network namespace). One that passes "
                       "on a retry is flaky: it does not fail the run, but every report shows each try."),
        QStringLiteral("n"));
    const QCommandLineOption failOnFlakyOption(
        QStringLiteral("fail-on-flaky"),
        QStringLiteral("A function or row that passed only on a retry fails the run."));
    const QCommandLineOption shardOption(
        QStringLiteral("shard"),
        QStringLiteral("Run only slice <k> of <n> slices of the shards, balanced by expected time, so that <n> CI "
                       "machines together run everything once (1/3, 2/3, 3/3)."),
        QStringLiteral("k/n"));
    const QCommandLineOption keepTracesOption(
        QStringLiteral("keep-traces"),
        QStringLiteral("Keep the full traffic trace of every suite process (JSON lines) in <dir>."),
        QStringLiteral("dir"));
    const QCommandLineOption watchOption(
        QStringLiteral("watch"),
        QStringLiteral("Run the check again whenever the daemon, the mocks or experience folder or the suite "
                       "changes on disk, once the change is complete, until Ctrl-C. After each run one line says "
                       "which functions and rows were fixed, are newly failing or still fail; the reports are "
                       "written anew."));
    parser.addOptions({daemonOption, mocksOption, experienceOption, suiteOption});
    parser.addOptions(ReportFiles::options());
    parser.addOptions({runIdOption, keepOption, verboseOption, jobsOption, repeatOption, retriesOption,
                       failOnFlakyOption, shardOption, durationsOption, keepTracesOption, startTimeoutOption,
                       wrapOption, watchOption});
    m_helpText = helpText(parser, arguments.value(0), QStringLiteral("korvu-check"));

    if (!parser.parse(ownArguments)) {
        m_parseError = parser.errorText() + QStringLiteral(" (arguments for the suite go after --)");
        return ParseResult::Error;
    }
    if (parser.isSet(helpOption))
        return ParseResult::ShowHelp;
    if (parser.isSet(versionOption))
        return ParseResult::ShowVersion;
    if (!parser.positionalArguments().isEmpty()) {
        m_parseError = QStringLiteral("unexpected argument '%1' (arguments for the suite go after --)")
                           .arg(parser.positionalArguments().constFirst());
        return ParseResult::Error;
    }

    suite = parser.isSet(suiteOption) ? parser.value(suiteOption) : defaults.suite;
    daemon = parser.isSet(daemonOption) ? parser.value(daemonOption) : defaults.daemon;
    mocksDir = parser.isSet(mocksOption) ? parser.value(mocksOption) : defaults.mocksDir;
    experienceDir = parser.isSet(experienceOption) ? parser.value(experienceOption) : defaults.experienceDir;
    reports.read(parser);
    durationsFile = parser.value(durationsOption);
    runId = parser.isSet(runIdOption) ? parser.value(runIdOption) : ciRunId(QProcessEnvironment::systemEnvironment());
    if (parser.isSet(runIdOption) && runId.isEmpty()) {
        m_parseError = QStringLiteral("--run-id takes an id that is not empty");
        return ParseResult::Error;
    }
    if (runId.isEmpty())
        runId = QUuid::createUuid().toString(QUuid::WithoutBraces);
    keepRunTree = parser.isSet(keepOption);
    verbose = parser.isSet(verboseOption);
    keepTracesDir = parser.value(keepTracesOption);

    if (parser.isSet(jobsOption)) {
        const QString value = parser.value(jobsOption);
        jobsAuto = value == QLatin1String("auto");
        if (!jobsAuto && !positiveNumber(value, &jobs)) {
            m_parseError = QStringLiteral("-j takes a number of at least 1 or 'auto', not '%1'").arg(value);
            return ParseResult::Error;
        }
    }
    if (parser.isSet(repeatOption) && !positiveNumber(parser.value(repeatOption), &repeat)) {
        m_parseError = QStringLiteral("--repeat takes a number of at least 1, not '%1'")
                           .arg(parser.value(repeatOption));
        return ParseResult::Error;
    }
    if (parser.isSet(retriesOption)) {
        bool ok = false;
        retries = parser.value(retriesOption).toInt(&ok);
        if (!ok || retries < 0) {
            m_parseError = QStringLiteral("--retries takes a number of at least 0, not '%1'")
                               .arg(parser.value(retriesOption));
            return ParseResult::Error;
        }
    }
    failOnFlaky = parser.isSet(failOnFlakyOption);
    if (parser.isSet(startTimeoutOption) && !positiveNumber(parser.value(startTimeoutOption), &startTimeoutSecs)) {
        m_parseError = QStringLiteral("--start-timeout takes a number of seconds of at least 1, not '%1'")
                           .arg(parser.value(startTimeoutOption));
        return ParseResult::Error;
    }
    if (parser.isSet(wrapOption)) {
        QString error;
        if (!CommandWords::split(parser.value(wrapOption), &wrapCommand, &error)) {
            m_parseError = QStringLiteral("--wrap: %1").arg(error);
            return ParseResult::Error;
        }
        if (wrapCommand.isEmpty()) {
            m_parseError = QStringLiteral("--wrap names no command");
            return ParseResult::Error;
        }
    }
    if (parser.isSet(shardOption)) {
        const QStringList parts = parser.value(shardOption).split(QLatin1Char('/'));
        // What "$CI_NODE_INDEX/$CI_NODE_TOTAL" and the like give when the variables are unset.
        if (parts.size() == 2 && (parts.at(0).isEmpty() || parts.at(1).isEmpty())) {
            m_parseError = QStringLiteral("--shard takes k/n, but k or n in '%1' is empty; are the variables that "
                                          "should give them set (such as CI_NODE_INDEX and CI_NODE_TOTAL)?")
                               .arg(parser.value(shardOption));
            return ParseResult::Error;
        }
        if (parts.size() != 2 || !positiveNumber(parts.at(0), &sliceIndex) || !positiveNumber(parts.at(1), &sliceCount)
            || sliceIndex > sliceCount) {
            m_parseError = QStringLiteral("--shard takes k/n with 1 <= k <= n, such as 2/4, not '%1'")
                               .arg(parser.value(shardOption));
            return ParseResult::Error;
        }
    }
    watch = parser.isSet(watchOption);
    // A slice is a CI machine's share of one run, which nobody edits under.
    if (watch && sliceCount > 0) {
        m_parseError = QStringLiteral("--watch runs the whole selection on this machine; leave out --shard");
        return ParseResult::Error;
    }
    return ParseResult::Run;
}

// The usage line names the program as it was called, often by a path.
QString CheckOptions::helpText(const QCommandLineParser &parser, const QString &calledAs, const QString &usage)
{
    QString help = parser.helpText();
    const QString usageLine = QStringLiteral("Usage: ") + calledAs;
    if (help.startsWith(usageLine))
        help.replace(0, usageLine.size(), QStringLiteral("Usage: ") + usage);
    return help;
}

bool CheckOptions::isSharded() const { return jobs > 0 || jobsAuto || sliceCount > 0; }

// Without the attempt number: a job re-run alone joins the slices of its run
// that passed before.
QString CheckOptions::ciRunId(const QProcessEnvironment &environment)
{
    const QString github = environment.value(QStringLiteral("GITHUB_RUN_ID"));
    if (!github.isEmpty())
        return QStringLiteral("github-") + github;
    const QString gitlab = environment.value(QStringLiteral("CI_PIPELINE_ID"));
    if (!gitlab.isEmpty())
        return QStringLiteral("gitlab-") + gitlab;
    return QString();
}

QString CheckOptions::parseError() const { return m_parseError; }

QString CheckOptions::helpText() const { return m_helpText; }

QString CheckOptions::validate()
{
    daemon = resolveProgram(daemon);
    suite = resolveProgram(suite);
    mocksDir = absolute(mocksDir);
    experienceDir = absolute(experienceDir);
    durationsFile = absolute(durationsFile);
    keepTracesDir = absolute(keepTracesDir);
    // The tool starts in the run tree, not here.
    if (!wrapCommand.isEmpty() && wrapCommand.constFirst().contains(QLatin1Char('/')))
        wrapCommand.first() = absolute(wrapCommand.constFirst());

    QString problem = checkExecutable(QStringLiteral("daemon"), daemon,
                                      QStringLiteral("build korvud or pass --daemon"));
    if (problem.isEmpty())
        problem = checkPluginFolder(QStringLiteral("mocks"), mocksDir);
    if (problem.isEmpty())
        problem = checkPluginFolder(QStringLiteral("experience"), experienceDir);
    if (problem.isEmpty())
        problem = checkExecutable(QStringLiteral("suite"), suite,
                                  QStringLiteral("build testdeliveries or pass --suite"));
    if (problem.isEmpty())
        problem = checkWrapCommand();
    if (problem.isEmpty())
        problem = reports.validate();
    if (problem.isEmpty())
        problem = checkDurationsFile();
    if (problem.isEmpty())
        problem = checkTracesDir();
    if (problem.isEmpty())
        problem = checkShardedSuiteArguments();
    return problem;
}

QString CheckOptions::checkExecutable(const QString &what, const QString &path, const QString &hint)
{
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists())
        return QStringLiteral("%1 not found: %2 (%3)").arg(what, path, hint);
    if (!info.isFile() || !info.isExecutable())
        return QStringLiteral("%1 is not an executable file: %2").arg(what, path);
    return QString();
}

QString CheckOptions::checkPluginFolder(const QString &what, const QString &path)
{
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists())
        return QStringLiteral("%1 plug-in folder not found: %2 (pass --%1)").arg(what, path);
    if (!info.isDir())
        return QStringLiteral("%1 plug-in folder is not a folder: %2").arg(what, path);

    const QFileInfoList entries = QDir(path).entryInfoList(QDir::Files | QDir::Readable);
    for (const QFileInfo &entry : entries) {
        if (QLibrary::isLibrary(entry.fileName()))
            return QString();
    }
    return QStringLiteral("%1 plug-in folder holds no shared library: %2 (build the plug-in or pass --%1)")
        .arg(what, path);
}

QString CheckOptions::checkDurationsFile() const
{
    if (durationsFile.isEmpty() || QFileInfo(durationsFile).isReadable())
        return QString();
    return QStringLiteral("--durations-from: cannot read %1").arg(durationsFile);
}

// The tool is found as the launcher will find it, so a misspelt one is
// reported here rather than as a daemon that never starts.
QString CheckOptions::checkWrapCommand() const
{
    if (wrapCommand.isEmpty())
        return QString();
    const QString program = wrapCommand.constFirst();
    const bool found = program.contains(QLatin1Char('/')) ? QFileInfo(program).isExecutable()
                                                          : !QStandardPaths::findExecutable(program).isEmpty();
    return found ? QString() : QStringLiteral("--wrap: %1 not found or not executable").arg(program);
}

QString CheckOptions::checkTracesDir() const
{
    if (keepTracesDir.isEmpty())
        return QString();
    if (!QDir().mkpath(keepTracesDir))
        return QStringLiteral("cannot create the trace folder %1").arg(keepTracesDir);
    if (!QFileInfo(keepTracesDir).isWritable())
        return QStringLiteral("cannot write into the trace folder %1").arg(keepTracesDir);
    return QString();
}

QString CheckOptions::checkShardedSuiteArguments() const
{
    if (!isSharded() && repeat == 1)
        return QString();
    for (const QString &argument : suiteArguments) {
        if (listingOptions.contains(argument))
            return QStringLiteral("the suite's %1 runs no check; give it without -j, --shard and --repeat")
                .arg(argument);
    }
    return QString();
}
