#ifndef KORVUCHECK_COMMANDWORDS_H
#define KORVUCHECK_COMMANDWORDS_H

#include <QString>
#include <QStringList>

// A command line given as one text, such as --wrap's, cut into its words as
// a POSIX shell cuts them (blanks, single and double quotes, backslashes) but
// without a shell: nothing is expanded, so "$HOME" stays as written.
class CommandWords
{
public:
    // False with *error set for an unterminated quote or a trailing backslash.
    static bool split(const QString &text, QStringList *words, QString *error);
    // A word for a /bin/sh script that the shell reads back exactly as given.
    static QString shellQuoted(const QString &word);
};

#endif // KORVUCHECK_COMMANDWORDS_H
