#ifndef KORVUDOCS_OPTIONREFERENCE_H
#define KORVUDOCS_OPTIONREFERENCE_H

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
};

#endif
