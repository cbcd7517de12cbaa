#ifndef KORVUCHECK_REPORTFILES_H
#define KORVUCHECK_REPORTFILES_H

#include "reports/optiontext.h"
#include "results/runresults.h"

#include <QCommandLineOption>
#include <QList>
#include <QString>
#include <QStringList>

class QCommandLineParser;

// The report files asked for on a command line, and the one list of formats
// behind them: a check and a merge of slices offer the same options and
// write through the same reporters, so a format added here serves both.
class ReportFiles
{
public:
    // "--junit <file>" and the options of the other formats.
    static QList<QCommandLineOption> options(OptionText text = OptionText::Help);
    // Takes the file names from a parser that knows options().
    void read(const QCommandLineParser &parser);
    // Makes the file names absolute; returns the first report that could not
    // be written where asked, in one line, or an empty string.
    QString validate();
    // Writes every report asked for, each replacing its file only once it is
    // whole. Returns "JUnit report: FILE" per report written; *errors gets a
    // line per report that could not be written.
    QStringList write(const RunResults &results, QStringList *errors) const;

    QString junitFile;
    QString ctrfFile; // CTRF
    QString htmlFile;
};

#endif // KORVUCHECK_REPORTFILES_H
