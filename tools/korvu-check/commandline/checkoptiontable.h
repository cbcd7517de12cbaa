#ifndef KORVUCHECK_CHECKOPTIONTABLE_H
#define KORVUCHECK_CHECKOPTIONTABLE_H

#include "reports/optiontext.h"

#include <QCommandLineOption>
#include <QList>
#include <QString>
#include <QStringList>

class CheckOptions;

// korvu-check's own options as data: the names, value and effect of each, so
// that the parser, --help and whatever else describes the command line read
// one list. The report files (ReportFiles::options()) stand between the parts
// and the run options.
class CheckOptionTable
{
public:
    struct Option
    {
        QStringList names;
        // The one line --help shows.
        QString description;
        // The value's name in the help; empty for a switch.
        QString valueName;
        // Takes a given option's value (empty for a switch) into the options;
        // returns what is wrong with it in one line, or an empty string.
        QString (*apply)(CheckOptions &options, const QString &value);
        // The manual page's text where it says more than description.
        QString manual;

        QCommandLineOption commandLineOption(OptionText text) const;
    };

    // The paragraph above the options; --help's ends by pointing to the
    // manual page, which adds the rest of the prose.
    static QString description(OptionText text);
    // Which daemon, plug-ins and suite are checked.
    static const QList<Option> &parts();
    // How the check runs, in the order they are listed and taken.
    static const QList<Option> &runOptions();
};

#endif // KORVUCHECK_CHECKOPTIONTABLE_H
