#ifndef KORVUDOCS_OPTIONREFERENCE_H
#define KORVUDOCS_OPTIONREFERENCE_H

#include <QMap>
#include <QString>
#include <QStringList>

/// The option names of korvu-check as its --help lists them and as the
/// docs pages' references describe them, to be compared.
class OptionReference
{
public:
    /// The names ("-j", "--jobs", ...) of the options QCommandLineParser's
    /// help text lists, in order.
    static QStringList fromHelp(const QString &help);

    /// The names a page's "## Options" section describes: each entry is a
    /// list item that starts with the option in backticks, e.g.
    /// "- `-j N`, `--jobs N`: ...".
    static QStringList fromPage(const QString &markdown);

    /// Where @p options (of --help) and the docs disagree: an option not
    /// described exactly once (@p describedIn: each name's pages, once per
    /// description), a description of an option --help lacks, or, when
    /// @p manual (the manual page's source) is given, an option it lacks.
    static QStringList disagreements(const QStringList &options, const QMap<QString, QStringList> &describedIn,
                                     const QString &manual);
};

#endif
