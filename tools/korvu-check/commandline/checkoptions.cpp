#include "commandline/checkoptions.h"
#include "commandline/checkoptiontable.h"

#include <connectionbound.h>

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QUuid>

namespace {

// Qt Test options that list something and run nothing.
const QStringList listingOptions = {QStringLiteral("-functions"), QStringLiteral("-datatags"), QStringLiteral("-help"),
                                    QStringLiteral("-perfcounterlist")};

// What help2man reads the manual page's option texts from; --help keeps to
// one line each.
const QString manualHelpOption = QStringLiteral("help-manual");

QString absolute(const QString &path) { return path.isEmpty() ? path : QFileInfo(path).absoluteFilePath(); }

// A bare program name is looked up on PATH when there is no such file here.
QString resolveProgram(const QString &program)
{
    if (program.contains(QLatin1Char('/')) || QFileInfo::exists(program))
        return absolute(program);
    const QString found = QStandardPaths::findExecutable(program);
    return found.isEmpty() ? absolute(program) : found;
}

// The id every job of one CI pipeline or workflow run shares, or an empty
// one outside a CI system korvu-check knows. Without the attempt number: a
// job re-run alone joins the slices of its run that passed before.
QString ciRunId(const QProcessEnvironment &environment)
{
    const QString github = environment.value(QStringLiteral("GITHUB_RUN_ID"));
    if (!github.isEmpty())
        return QStringLiteral("github-") + github;
    const QString gitlab = environment.value(QStringLiteral("CI_PIPELINE_ID"));
    if (!gitlab.isEmpty())
        return QStringLiteral("gitlab-") + gitlab;
    return QString();
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
    describe(parser, OptionText::Help);
    m_helpText = helpText(parser, arguments.value(0), QStringLiteral("korvu-check"));

    if (!parser.parse(ownArguments)) {
        m_parseError = parser.errorText() + QStringLiteral(" (arguments for the suite go after --)");
        return ParseResult::Error;
    }
    if (parser.isSet(manualHelpOption)) {
        QCommandLineParser manual;
        describe(manual, OptionText::Manual);
        m_helpText = helpText(manual, arguments.value(0), QStringLiteral("korvu-check"));
        return ParseResult::ShowHelp;
    }
    if (parser.isSet(QStringLiteral("help")))
        return ParseResult::ShowHelp;
    if (parser.isSet(QStringLiteral("version")))
        return ParseResult::ShowVersion;
    if (!parser.positionalArguments().isEmpty()) {
        m_parseError = QStringLiteral("unexpected argument '%1' (arguments for the suite go after --)")
                           .arg(parser.positionalArguments().constFirst());
        return ParseResult::Error;
    }

    suite = defaults.suite;
    daemon = defaults.daemon;
    mocksDir = defaults.mocksDir;
    experienceDir = defaults.experienceDir;
    reports.read(parser);
    const QList<CheckOptionTable::Option> options = CheckOptionTable::parts() + CheckOptionTable::runOptions();
    for (const CheckOptionTable::Option &option : options) {
        const QString name = option.names.constFirst();
        if (!parser.isSet(name))
            continue;
        m_parseError = option.apply(*this, option.valueName.isEmpty() ? QString() : parser.value(name));
        if (!m_parseError.isEmpty())
            return ParseResult::Error;
    }
    if (runId.isEmpty())
        runId = ciRunId(QProcessEnvironment::systemEnvironment());
    if (runId.isEmpty())
        runId = QUuid::createUuid().toString(QUuid::WithoutBraces);
    // A slice is a CI machine's share of one run, which nobody edits under.
    if (watch && sliceCount > 0) {
        m_parseError = QStringLiteral("--watch runs the whole selection on this machine; leave out --shard");
        return ParseResult::Error;
    }
    return ParseResult::Run;
}

void CheckOptions::describe(QCommandLineParser &parser, OptionText text)
{
    parser.setApplicationDescription(CheckOptionTable::description(text));
    parser.addHelpOption();
    parser.addVersionOption();
    QCommandLineOption manualHelp(manualHelpOption, QStringLiteral("Show the help with the manual page's texts."));
    manualHelp.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOption(manualHelp);
    for (const CheckOptionTable::Option &option : CheckOptionTable::parts())
        parser.addOption(option.commandLineOption(text));
    parser.addOptions(ReportFiles::options(text));
    for (const CheckOptionTable::Option &option : CheckOptionTable::runOptions())
        parser.addOption(option.commandLineOption(text));
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
