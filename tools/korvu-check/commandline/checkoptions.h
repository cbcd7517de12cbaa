#ifndef KORVUCHECK_CHECKOPTIONS_H
#define KORVUCHECK_CHECKOPTIONS_H

#include "reports/optiontext.h"
#include "reports/reportfiles.h"

#include <QString>
#include <QStringList>

class QCommandLineParser;

// What to run and how: the command line of korvu-check, checked before
// anything is started.
class CheckOptions
{
public:
    struct Defaults
    {
        QString suite;
        QString daemon;
        QString mocksDir;
        QString experienceDir;
    };

    enum class ParseResult { Run, ShowHelp, ShowVersion, Error };

    CheckOptions();

    // arguments: the full command line, program name first. Everything after
    // "--" goes to the suite unchanged.
    ParseResult parse(const QStringList &arguments, const Defaults &defaults);
    QString parseError() const;
    QString helpText() const;

    // Makes the paths absolute and returns the first problem as one line, or
    // an empty string when everything needed is in place.
    QString validate();

    QString suite;
    QString daemon;
    QString mocksDir;
    QString experienceDir;
    ReportFiles reports;
    // Shared by every slice of one run (--run-id): given, from the CI
    // system's variables, or made up.
    QString runId;
    // A CTRF document of an earlier run, whose times cut the shards (--durations-from).
    QString durationsFile;
    bool keepRunTree = false;
    // How long the daemon may take to listen, counted from its start; by
    // default as long as the suite waits for it.
    int startTimeoutSecs;
    // The command and arguments the daemon runs under (--wrap); empty: none.
    QStringList wrapCommand;
    bool verbose = false;
    QStringList suiteArguments;

    // Shard processes at once; 0 runs the suite as one process (the default).
    int jobs = 0;
    bool jobsAuto = false;
    int repeat = 1;
    // How often a failed function or row runs again, each time alone in a
    // fresh shard; one that passes so is flaky.
    int retries = 0;
    bool failOnFlaky = false;
    // --shard K/N: run only slice K (from 1) of N; sliceCount 0 runs everything.
    int sliceIndex = 0;
    int sliceCount = 0;
    QString keepTracesDir;
    // --watch: run again whenever a part changes on disk, until stopped.
    bool watch = false;

    // Which functions and rows run, beside the words after --: those whose
    // name ("function(row)") matches grep and not grepInvert (empty: no
    // condition), and with lastFailed only those that failed before.
    QString grep;
    QString grepInvert;
    bool lastFailed = false;
    // --list and --list-json print the selection and run nothing.
    enum class Listing { None, Words, Json };
    Listing listing = Listing::None;

    // Failures after which the run stops and reports the rest as not run; 0: none.
    int maxFailures = 0;
    // Seconds a function or row may run before it is stopped and fails; 0: the suite's own limits.
    int timeoutSecs = 0;

    // Whether the selected work is cut into shards of the suite's functions
    // and rows (for -j and --shard), rather than run as the suite as written.
    bool isSharded() const;

    // The parser's help text with its usage line naming the command as
    // "usage" ("korvu-check merge"), not by the path it was called by.
    static QString helpText(const QCommandLineParser &parser, const QString &calledAs, const QString &usage);

private:
    // Adds every option, with the texts of --help or of the manual page.
    static void describe(QCommandLineParser &parser, OptionText text);
    static QString checkExecutable(const QString &what, const QString &path, const QString &hint);
    static QString checkPluginFolder(const QString &what, const QString &path);
    QString checkDurationsFile() const;
    QString checkWrapCommand() const;
    QString checkTracesDir() const;
    QString checkShardedSuiteArguments() const;

    QString m_parseError;
    QString m_helpText;
};

#endif // KORVUCHECK_CHECKOPTIONS_H
