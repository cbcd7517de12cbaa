#include "merge/mergecommand.h"
#include "commandline/checkoptions.h"
#include "commandline/exitstatus.h"
#include "merge/slicemerge.h"
#include "reports/console/consolereport.h"
#include "reports/reportfiles.h"

#include <QCommandLineParser>
#include <QTextStream>

namespace {

// The rest of the prose is the manual page's (korvu-check.h2m).
const QString description = QStringLiteral("Puts the CTRF reports (--json) of the --shard K/N slices of one run back\n"
                                           "together and writes the reports asked for. The manual page korvu-check(1)\n"
                                           "tells what the slices must share, and the exit status.");

} // namespace

MergeCommand::MergeCommand(QTextStream &out, QTextStream &err)
    : m_out(out)
    , m_err(err)
{
}

int MergeCommand::exec(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(description);
    const QCommandLineOption helpOption = parser.addHelpOption();
    parser.addOptions(ReportFiles::options());
    parser.addPositionalArgument(QStringLiteral("slices"), QStringLiteral("The CTRF report of every slice."),
                                 QStringLiteral("slice.json..."));
    if (!parser.parse(QStringList{arguments.value(0)} + arguments.mid(2)))
        return refuse(parser.errorText());
    if (parser.isSet(helpOption)) {
        m_out << CheckOptions::helpText(parser, arguments.value(0), QStringLiteral("korvu-check merge")) << Qt::flush;
        return 0;
    }
    const QStringList files = parser.positionalArguments();
    if (files.isEmpty())
        return refuse(QStringLiteral("merge needs the CTRF report of every slice"));
    ReportFiles reports;
    reports.read(parser);
    const QString problem = reports.validate();
    if (!problem.isEmpty())
        return refuse(problem);

    SliceMerge merge;
    SliceMerge::Error error;
    for (const QString &file : files) {
        if (!merge.addFile(file, &error))
            return refuse(error.message());
    }
    RunResults merged;
    if (!merge.merge(&merged, &error))
        return refuse(error.message());

    const QVector<RunResults::SetupError> setupErrors = merged.setupErrors();
    for (const RunResults::SetupError &setupError : setupErrors) {
        m_err << "korvu-check: " << setupError.message << '\n';
        for (const QString &line : setupError.details)
            m_err << line << '\n';
    }
    QStringList writeErrors;
    const QStringList written = reports.write(merged, &writeErrors);
    for (const QString &writeError : qAsConst(writeErrors))
        m_err << "korvu-check: " << writeError << '\n';
    m_err.flush();
    m_out.flush();
    ConsoleReport(written).write(merged, m_out.device());

    ExitStatus::Facts facts;
    facts.failures = merged.failureStatus();
    facts.problem = setupErrors.isEmpty() ? 0 : int(ExitStatus::EnvironmentProblem);
    facts.findings = !merged.findings().isEmpty();
    facts.reportMissing = !writeErrors.isEmpty();
    return ExitStatus::of(facts);
}

int MergeCommand::refuse(const QString &problem)
{
    m_err << "korvu-check merge: " << problem << '\n' << Qt::flush;
    return ExitStatus::BadCommandLine;
}
