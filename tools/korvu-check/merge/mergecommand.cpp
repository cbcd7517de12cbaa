#include "merge/mergecommand.h"
#include "commandline/checkoptions.h"
#include "commandline/exitstatus.h"
#include "merge/slicemerge.h"
#include "reports/console/consolereport.h"
#include "reports/reportfiles.h"

#include <QCommandLineParser>
#include <QTextStream>

namespace {

const QString description = QStringLiteral(
    "Puts the CTRF reports (--json) of the --shard K/N slices of one run back\n"
    "together: prints the summary that one machine running the whole selection\n"
    "would have printed, and writes the reports asked for, every function and row\n"
    "in the suite's order and the hooks (initTestCase, cleanupTestCase) of all\n"
    "slices counted once. Times are those of the slices.\n"
    "\n"
    "The slices must share their run id and selection of functions and rows,\n"
    "come from the same builds of the suite and daemon (by their SHA-256) and the\n"
    "same korvu-check version, and hold every slice from 1 to N once. Otherwise\n"
    "nothing is written. Outside GitHub Actions and GitLab CI every slice gets a\n"
    "new run id: give all slices of a run the same --run-id.\n"
    "\n"
    "A slice that stopped before its suite's results counted (korvud never came\n"
    "up, the suite could not list its functions and rows) broke off: its error\n"
    "is a failure of that slice in the summary and every report. One that stopped\n"
    "before listing the suite shows no selection; the others' is taken as the\n"
    "run's.\n"
    "\n"
    "Exit status: as the run's would be: the number of failed checks and slices\n"
    "that broke off (at most 127), 5 when every check passed but korvud's output\n"
    "showed findings, 3 when a slice that ran noted an error of korvu-check's own\n"
    "or a report cannot be written; 2 for a bad command line or slices that are\n"
    "not those of one run.");

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
