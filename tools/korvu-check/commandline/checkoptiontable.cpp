#include "commandline/checkoptiontable.h"
#include "commandline/checkoptions.h"
#include "commandline/commandwords.h"

#include <connectionbound.h>
#include <daemonport.h>

#include <QRegularExpression>

namespace {

bool positiveNumber(const QString &text, int *number)
{
    bool ok = false;
    *number = text.toInt(&ok);
    return ok && *number >= 1;
}

// What is wrong with the pattern of --grep or --grep-invert, or an empty string.
QString patternProblem(const QString &option, const QString &pattern)
{
    const QRegularExpression expression(pattern);
    if (pattern.isEmpty())
        return QStringLiteral("--%1 takes a pattern that is not empty").arg(option);
    if (!expression.isValid())
        return QStringLiteral("--%1 '%2' is no valid pattern: %3 at offset %4")
            .arg(option, pattern, expression.errorString())
            .arg(expression.patternErrorOffset());
    return QString();
}

const QString descriptionText = QStringLiteral(
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

const QList<CheckOptionTable::Option> partsTable = {
    {{QStringLiteral("daemon")},
     QStringLiteral("korvud executable to check (default: the stand-in korvud)."),
     QStringLiteral("path"),
     [](CheckOptions &options, const QString &value) {
         options.daemon = value;
         return QString();
     }},
    {{QStringLiteral("mocks")},
     QStringLiteral("Folder of the mock plug-in (default: the bundled DeliveryMocks)."),
     QStringLiteral("dir"),
     [](CheckOptions &options, const QString &value) {
         options.mocksDir = value;
         return QString();
     }},
    {{QStringLiteral("experience")},
     QStringLiteral("Folder of the experience plug-in (default: the bundled PlavoDelivery)."),
     QStringLiteral("dir"),
     [](CheckOptions &options, const QString &value) {
         options.experienceDir = value;
         return QString();
     }},
    {{QStringLiteral("suite")},
     QStringLiteral("testdeliveries executable (default: the bundled suite)."),
     QStringLiteral("path"),
     [](CheckOptions &options, const QString &value) {
         options.suite = value;
         return QString();
     }},
};

const QList<CheckOptionTable::Option> runTable = {
    {{QStringLiteral("run-id")},
     QStringLiteral("The run the CTRF document belongs to, the same for every slice of it (default: "
                    "github-<GITHUB_RUN_ID> in GitHub Actions, gitlab-<CI_PIPELINE_ID> in GitLab CI, otherwise "
                    "a new UUID)."),
     QStringLiteral("id"),
     [](CheckOptions &options, const QString &value) {
         options.runId = value;
         return value.isEmpty() ? QStringLiteral("--run-id takes an id that is not empty") : QString();
     }},
    {{QStringLiteral("keep")},
     QStringLiteral("Keep the temporary run tree (data folder, plug-in links, what a --wrap tool wrote) after "
                    "the run."),
     QString(),
     [](CheckOptions &options, const QString &) {
         options.keepRunTree = true;
         return QString();
     }},
    {{QStringLiteral("verbose")},
     QStringLiteral("Also print the suite's other log lines: debug output, warnings, -v2 output."),
     QString(),
     [](CheckOptions &options, const QString &) {
         options.verbose = true;
         return QString();
     }},
    {{QStringLiteral("j"), QStringLiteral("jobs")},
     QStringLiteral("Run the functions and rows as shards, <n> at a time; 'auto' runs all shards at once. "
                    "Without private network namespaces the shards run one at a time."),
     QStringLiteral("n"),
     [](CheckOptions &options, const QString &value) {
         options.jobsAuto = value == QLatin1String("auto");
         if (options.jobsAuto || positiveNumber(value, &options.jobs))
             return QString();
         return QStringLiteral("-j takes a number of at least 1 or 'auto', not '%1'").arg(value);
     }},
    {{QStringLiteral("repeat")},
     QStringLiteral("Run every selected function and row <n> times. The summary shows how often each passed "
                    "and marks those that both passed and failed as flaky."),
     QStringLiteral("n"),
     [](CheckOptions &options, const QString &value) {
         if (positiveNumber(value, &options.repeat))
             return QString();
         return QStringLiteral("--repeat takes a number of at least 1, not '%1'").arg(value);
     }},
    {{QStringLiteral("retries")},
     QStringLiteral("Run a function or row that failed again, up to <n> more times, each time alone in a fresh "
                    "shard (its own suite process, daemon, data folder and network namespace). One that passes "
                    "on a retry is flaky: it does not fail the run, but every report shows each try."),
     QStringLiteral("n"),
     [](CheckOptions &options, const QString &value) {
         bool ok = false;
         options.retries = value.toInt(&ok);
         if (ok && options.retries >= 0)
             return QString();
         return QStringLiteral("--retries takes a number of at least 0, not '%1'").arg(value);
     }},
    {{QStringLiteral("fail-on-flaky")},
     QStringLiteral("A function or row that passed only on a retry fails the run."),
     QString(),
     [](CheckOptions &options, const QString &) {
         options.failOnFlaky = true;
         return QString();
     }},
    {{QStringLiteral("shard")},
     QStringLiteral("Run only slice <k> of <n> slices of the shards, balanced by expected time, so that <n> CI "
                    "machines together run everything once (1/3, 2/3, 3/3)."),
     QStringLiteral("k/n"),
     [](CheckOptions &options, const QString &value) {
         const QStringList parts = value.split(QLatin1Char('/'));
         // What "$CI_NODE_INDEX/$CI_NODE_TOTAL" and the like give when the variables are unset.
         if (parts.size() == 2 && (parts.at(0).isEmpty() || parts.at(1).isEmpty()))
             return QStringLiteral("--shard takes k/n, but k or n in '%1' is empty; are the variables that "
                                   "should give them set (such as CI_NODE_INDEX and CI_NODE_TOTAL)?")
                 .arg(value);
         if (parts.size() != 2 || !positiveNumber(parts.at(0), &options.sliceIndex)
             || !positiveNumber(parts.at(1), &options.sliceCount) || options.sliceIndex > options.sliceCount)
             return QStringLiteral("--shard takes k/n with 1 <= k <= n, such as 2/4, not '%1'").arg(value);
         return QString();
     }},
    {{QStringLiteral("durations-from")},
     QStringLiteral("Cut the shards by the time each function and row took in an earlier run, read from its "
                    "CTRF document (--json); the others keep their built-in expectations."),
     QStringLiteral("file"),
     [](CheckOptions &options, const QString &value) {
         options.durationsFile = value;
         return QString();
     }},
    {{QStringLiteral("keep-traces")},
     QStringLiteral("Keep the full traffic trace of every suite process (JSON lines) in <dir>."),
     QStringLiteral("dir"),
     [](CheckOptions &options, const QString &value) {
         options.keepTracesDir = value;
         return QString();
     }},
    {{QStringLiteral("start-timeout")},
     QStringLiteral("Seconds the daemon korvu-check starts on its own may take to listen on 127.0.0.1:%1, "
                    "counted from its start (default: %2, as long as the suite waits for its daemon in every "
                    "shard; the suite waits no longer for a larger value).")
         .arg(daemonPort)
         .arg(connectionBoundMs / 1000),
     QStringLiteral("seconds"),
     [](CheckOptions &options, const QString &value) {
         if (positiveNumber(value, &options.startTimeoutSecs))
             return QString();
         return QStringLiteral("--start-timeout takes a number of seconds of at least 1, not '%1'").arg(value);
     }},
    {{QStringLiteral("wrap")},
     QStringLiteral("Run korvud under a tool: every start of korvud runs '<command> <daemon> <the suite's "
                    "arguments>' with the environment unchanged, e.g. --wrap 'valgrind -q --error-exitcode=99'. "
                    "The words are split as a POSIX shell would, without expanding anything. The tool runs in "
                    "the run tree, where relative paths it writes to land. With -j, as many shards start their "
                    "daemon at a time as the machine has processors."),
     QStringLiteral("command"),
     [](CheckOptions &options, const QString &value) {
         QString error;
         if (!CommandWords::split(value, &options.wrapCommand, &error))
             return QStringLiteral("--wrap: %1").arg(error);
         return options.wrapCommand.isEmpty() ? QStringLiteral("--wrap names no command") : QString();
     }},
    {{QStringLiteral("watch")},
     QStringLiteral("Run the check again whenever the daemon, the mocks or experience folder or the suite "
                    "changes on disk, once the change is complete, until Ctrl-C. After each run one line says "
                    "which functions and rows were fixed, are newly failing or still fail; the reports are "
                    "written anew."),
     QString(),
     [](CheckOptions &options, const QString &) {
         options.watch = true;
         return QString();
     }},
    {{QStringLiteral("grep")},
     QStringLiteral("Run only the functions and rows whose name, as the reports show it (testDelivery(DHL "
                    "express), testRemoveDelivery), matches <regex> somewhere."),
     QStringLiteral("regex"),
     [](CheckOptions &options, const QString &value) {
         options.grep = value;
         return patternProblem(QStringLiteral("grep"), value);
     }},
    {{QStringLiteral("grep-invert")},
     QStringLiteral("Run only the functions and rows whose name does not match <regex>."),
     QStringLiteral("regex"),
     [](CheckOptions &options, const QString &value) {
         options.grepInvert = value;
         return patternProblem(QStringLiteral("grep-invert"), value);
     }},
    {{QStringLiteral("last-failed")},
     QStringLiteral("Run only the functions and rows that failed against this daemon and have not passed "
                    "since, as recorded under $XDG_CACHE_HOME/korvu-check; nothing when none did."),
     QString(),
     [](CheckOptions &options, const QString &) {
         options.lastFailed = true;
         return QString();
     }},
    {{QStringLiteral("list")},
     QStringLiteral("Print the selected functions and rows, one selection word per line (function or "
                    "function:row), and run nothing."),
     QString(),
     [](CheckOptions &options, const QString &) {
         options.listing = CheckOptions::Listing::Words;
         return QString();
     }},
    {{QStringLiteral("list-json")},
     QStringLiteral("Print the selected functions and rows as a JSON document, and run nothing."),
     QString(),
     [](CheckOptions &options, const QString &) {
         options.listing = CheckOptions::Listing::Json;
         return QString();
     }},
};

} // namespace

QCommandLineOption CheckOptionTable::Option::commandLineOption() const
{
    return QCommandLineOption(names, description, valueName);
}

QString CheckOptionTable::description() { return descriptionText; }

const QList<CheckOptionTable::Option> &CheckOptionTable::parts() { return partsTable; }

const QList<CheckOptionTable::Option> &CheckOptionTable::runOptions() { return runTable; }
