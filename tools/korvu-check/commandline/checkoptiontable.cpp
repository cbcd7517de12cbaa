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

const QString introText = QStringLiteral(
    "Runs the delivery check suite against a korvud daemon and its plug-ins, in a\n"
    "temporary run tree and, where the machine allows, a private network namespace.\n"
    "Arguments after -- go to the suite unchanged (test functions, rows, -v2, ...).");

// The rest of the prose is the manual page's (korvu-check.h2m).
const QString manualPointerText = QStringLiteral(
    "The manual page korvu-check(1) tells more: shards, reports, findings, --watch,\n"
    "retries and the exit status; slices: korvu-check merge --help.");

const QList<CheckOptionTable::Option> partsTable = {
    {{QStringLiteral("daemon")},
     QStringLiteral("korvud to check (default: the stand-in korvud)."),
     QStringLiteral("path"),
     [](CheckOptions &options, const QString &value) {
         options.daemon = value;
         return QString();
     },
     QStringLiteral("korvud executable to check (default: the stand-in korvud).")},
    {{QStringLiteral("mocks")},
     QStringLiteral("Mock plug-in folder (default: bundled)."),
     QStringLiteral("dir"),
     [](CheckOptions &options, const QString &value) {
         options.mocksDir = value;
         return QString();
     },
     QStringLiteral("Folder of the mock plug-in (default: the bundled DeliveryMocks).")},
    {{QStringLiteral("experience")},
     QStringLiteral("Experience plug-in folder (default: bundled)."),
     QStringLiteral("dir"),
     [](CheckOptions &options, const QString &value) {
         options.experienceDir = value;
         return QString();
     },
     QStringLiteral("Folder of the experience plug-in (default: the bundled PlavoDelivery).")},
    {{QStringLiteral("suite")},
     QStringLiteral("testdeliveries to run (default: bundled)."),
     QStringLiteral("path"),
     [](CheckOptions &options, const QString &value) {
         options.suite = value;
         return QString();
     },
     QStringLiteral("testdeliveries executable (default: the bundled suite).")},
};

const QList<CheckOptionTable::Option> runTable = {
    {{QStringLiteral("run-id")},
     QStringLiteral("The run's id, the same in every slice of it."),
     QStringLiteral("id"),
     [](CheckOptions &options, const QString &value) {
         options.runId = value;
         return value.isEmpty() ? QStringLiteral("--run-id takes an id that is not empty") : QString();
     },
     QStringLiteral("The run the CTRF document belongs to, the same for every slice of it (default: "
                    "github-<GITHUB_RUN_ID> in GitHub Actions, gitlab-<CI_PIPELINE_ID> in GitLab CI, otherwise "
                    "a new UUID).")},
    {{QStringLiteral("keep")},
     QStringLiteral("Keep the temporary run tree after the run."),
     QString(),
     [](CheckOptions &options, const QString &) {
         options.keepRunTree = true;
         return QString();
     },
     QStringLiteral("Keep the temporary run tree (data folder, plug-in links, what a --wrap tool wrote) after "
                    "the run.")},
    {{QStringLiteral("verbose")},
     QStringLiteral("Also print the suite's other log lines."),
     QString(),
     [](CheckOptions &options, const QString &) {
         options.verbose = true;
         return QString();
     },
     QStringLiteral("Also print the suite's other log lines: debug output, warnings, -v2 output.")},
    {{QStringLiteral("j"), QStringLiteral("jobs")},
     QStringLiteral("Run shards, <n> at a time ('auto': all at once)."),
     QStringLiteral("n"),
     [](CheckOptions &options, const QString &value) {
         options.jobsAuto = value == QLatin1String("auto");
         if (options.jobsAuto || positiveNumber(value, &options.jobs))
             return QString();
         return QStringLiteral("-j takes a number of at least 1 or 'auto', not '%1'").arg(value);
     },
     QStringLiteral("Run the functions and rows as shards, <n> at a time; 'auto' runs all shards at once. "
                    "Without private network namespaces the shards run one at a time.")},
    {{QStringLiteral("repeat")},
     QStringLiteral("Run every selected function and row <n> times."),
     QStringLiteral("n"),
     [](CheckOptions &options, const QString &value) {
         if (positiveNumber(value, &options.repeat))
             return QString();
         return QStringLiteral("--repeat takes a number of at least 1, not '%1'").arg(value);
     },
     QStringLiteral("Run every selected function and row <n> times. The summary shows how often each passed "
                    "and marks those that both passed and failed as flaky.")},
    {{QStringLiteral("retries")},
     QStringLiteral("Run a failed function or row up to <n> more times."),
     QStringLiteral("n"),
     [](CheckOptions &options, const QString &value) {
         bool ok = false;
         options.retries = value.toInt(&ok);
         if (ok && options.retries >= 0)
             return QString();
         return QStringLiteral("--retries takes a number of at least 0, not '%1'").arg(value);
     },
     QStringLiteral("Run a function or row that failed again, up to <n> more times, each time alone in a fresh "
                    "shard (its own suite process, daemon, data folder and network namespace). One that passes "
                    "on a retry is flaky: it does not fail the run, but every report shows each try.")},
    {{QStringLiteral("fail-on-flaky")},
     QStringLiteral("A row that passed only on a retry fails the run."),
     QString(),
     [](CheckOptions &options, const QString &) {
         options.failOnFlaky = true;
         return QString();
     },
     QStringLiteral("A function or row that passed only on a retry fails the run.")},
    {{QStringLiteral("shard")},
     QStringLiteral("Run only slice <k> of <n> slices of the shards."),
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
     },
     QStringLiteral("Run only slice <k> of <n> slices of the shards, balanced by expected time, so that <n> CI "
                    "machines together run everything once (1/3, 2/3, 3/3).")},
    {{QStringLiteral("durations-from")},
     QStringLiteral("Cut the shards by the times of an earlier --json."),
     QStringLiteral("file"),
     [](CheckOptions &options, const QString &value) {
         options.durationsFile = value;
         return QString();
     },
     QStringLiteral("Cut the shards by the time each function and row took in an earlier run, read from its "
                    "CTRF document (--json); the others keep their built-in expectations.")},
    {{QStringLiteral("keep-traces")},
     QStringLiteral("Keep every suite process's traffic trace in <dir>."),
     QStringLiteral("dir"),
     [](CheckOptions &options, const QString &value) {
         options.keepTracesDir = value;
         return QString();
     },
     QStringLiteral("Keep the full traffic trace of every suite process (JSON lines) in <dir>.")},
    {{QStringLiteral("start-timeout")},
     QStringLiteral("Seconds korvud may take to listen (default: %1).").arg(connectionBoundMs / 1000),
     QStringLiteral("seconds"),
     [](CheckOptions &options, const QString &value) {
         if (positiveNumber(value, &options.startTimeoutSecs))
             return QString();
         return QStringLiteral("--start-timeout takes a number of seconds of at least 1, not '%1'").arg(value);
     },
     QStringLiteral("Seconds the daemon korvu-check starts on its own may take to listen on 127.0.0.1:%1, "
                    "counted from its start (default: %2, as long as the suite waits for its daemon in every "
                    "shard; the suite waits no longer for a larger value).")
         .arg(daemonPort)
         .arg(connectionBoundMs / 1000)},
    {{QStringLiteral("wrap")},
     QStringLiteral("Run korvud under a tool, e.g. 'valgrind -q'."),
     QStringLiteral("command"),
     [](CheckOptions &options, const QString &value) {
         QString error;
         if (!CommandWords::split(value, &options.wrapCommand, &error))
             return QStringLiteral("--wrap: %1").arg(error);
         return options.wrapCommand.isEmpty() ? QStringLiteral("--wrap names no command") : QString();
     },
     QStringLiteral("Run korvud under a tool: every start of korvud runs '<command> <daemon> <the suite's "
                    "arguments>' with the environment unchanged, e.g. --wrap 'valgrind -q --error-exitcode=99'. "
                    "The words are split as a POSIX shell would, without expanding anything. The tool runs in "
                    "the run tree, where relative paths it writes to land. With -j, as many shards start their "
                    "daemon at a time as the machine has processors.")},
    {{QStringLiteral("watch")},
     QStringLiteral("Run again whenever a part changes on disk."),
     QString(),
     [](CheckOptions &options, const QString &) {
         options.watch = true;
         return QString();
     },
     QStringLiteral("Run the check again whenever the daemon, the mocks or experience folder or the suite "
                    "changes on disk, once the change is complete, until Ctrl-C. After each run one line says "
                    "which functions and rows were fixed, are newly failing or still fail; the reports are "
                    "written anew.")},
    {{QStringLiteral("grep")},
     QStringLiteral("Run only functions and rows matching <regex>."),
     QStringLiteral("regex"),
     [](CheckOptions &options, const QString &value) {
         options.grep = value;
         return patternProblem(QStringLiteral("grep"), value);
     },
     QStringLiteral("Run only the functions and rows whose name, as the reports show it (testDelivery(DHL "
                    "express), testRemoveDelivery), matches <regex> somewhere.")},
    {{QStringLiteral("grep-invert")},
     QStringLiteral("Run only functions and rows not matching <regex>."),
     QStringLiteral("regex"),
     [](CheckOptions &options, const QString &value) {
         options.grepInvert = value;
         return patternProblem(QStringLiteral("grep-invert"), value);
     },
     QStringLiteral("Run only the functions and rows whose name does not match <regex>.")},
    {{QStringLiteral("last-failed")},
     QStringLiteral("Run only the rows that failed last time."),
     QString(),
     [](CheckOptions &options, const QString &) {
         options.lastFailed = true;
         return QString();
     },
     QStringLiteral("Run only the functions and rows that failed against this daemon and have not passed "
                    "since, as recorded under $XDG_CACHE_HOME/korvu-check; nothing when none did.")},
    {{QStringLiteral("list")},
     QStringLiteral("List the selected functions and rows."),
     QString(),
     [](CheckOptions &options, const QString &) {
         options.listing = CheckOptions::Listing::Words;
         return QString();
     },
     QStringLiteral("Print the selected functions and rows, one selection word per line (function or "
                    "function:row), and run nothing.")},
    {{QStringLiteral("list-json")},
     QStringLiteral("List the selected functions and rows as JSON."),
     QString(),
     [](CheckOptions &options, const QString &) {
         options.listing = CheckOptions::Listing::Json;
         return QString();
     },
     QStringLiteral("Print the selected functions and rows as a JSON document, and run nothing.")},
    {{QStringLiteral("max-failures")},
     QStringLiteral("Stop after <n> failed rows; the rest is not run."),
     QStringLiteral("n"),
     [](CheckOptions &options, const QString &value) {
         if (positiveNumber(value, &options.maxFailures))
             return QString();
         return QStringLiteral("--max-failures takes a number of at least 1, not '%1'").arg(value);
     },
     QStringLiteral("Stop after <n> failures: start no further shard or row, stop the running ones, and report "
                    "the rest as not run. Every repetition's failure counts, and so does a suite process that "
                    "broke off; a function or row that passes on a retry does not, unless --fail-on-flaky.")},
    {{QStringLiteral("x")},
     QStringLiteral("Stop at the first failure (--max-failures 1)."),
     QString(),
     [](CheckOptions &options, const QString &) {
         options.maxFailures = 1;
         return QString();
     },
     QString()},
    {{QStringLiteral("timeout")},
     QStringLiteral("Fail a function or row that runs longer than <seconds>."),
     QStringLiteral("seconds"),
     [](CheckOptions &options, const QString &value) {
         if (positiveNumber(value, &options.timeoutSecs))
             return QString();
         return QStringLiteral("--timeout takes a number of seconds of at least 1, not '%1'").arg(value);
     },
     QStringLiteral("Stop a function or row that runs longer than <seconds>, counted from the end of the one "
                    "before it: its suite process, daemon and their process group. It fails with \"timed out "
                    "after <seconds> s\" and its traffic; the rest of its suite process is not run (default: "
                    "no limit but the suite's own).")},
};

} // namespace

QCommandLineOption CheckOptionTable::Option::commandLineOption(OptionText text) const
{
    return QCommandLineOption(names, optionDescription(text, description, manual), valueName);
}

QString CheckOptionTable::description(OptionText text)
{
    return text == OptionText::Manual ? introText : introText + QLatin1Char('\n') + manualPointerText;
}

const QList<CheckOptionTable::Option> &CheckOptionTable::parts() { return partsTable; }

const QList<CheckOptionTable::Option> &CheckOptionTable::runOptions() { return runTable; }
