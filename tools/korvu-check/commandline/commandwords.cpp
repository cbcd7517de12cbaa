#include "commandline/commandwords.h"

namespace {

bool isBlank(QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n'); }

// Within double quotes a backslash only escapes the characters the shell
// would otherwise treat specially there.
bool escapableInDoubleQuotes(QChar c)
{
    return c == QLatin1Char('$') || c == QLatin1Char('`') || c == QLatin1Char('"') || c == QLatin1Char('\\')
           || c == QLatin1Char('\n');
}

} // namespace

bool CommandWords::split(const QString &text, QStringList *words, QString *error)
{
    words->clear();
    QString word;
    // A word may be empty ('' or ""), so whether one is open is kept apart.
    bool inWord = false;
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (isBlank(c)) {
            if (inWord)
                words->append(word);
            word.clear();
            inWord = false;
        } else if (c == QLatin1Char('\'')) {
            const int end = text.indexOf(QLatin1Char('\''), i + 1);
            if (end < 0) {
                *error = QStringLiteral("unterminated single quote at character %1").arg(i + 1);
                return false;
            }
            word += text.mid(i + 1, end - i - 1);
            inWord = true;
            i = end;
        } else if (c == QLatin1Char('"')) {
            const int start = i;
            for (++i; i < text.size() && text.at(i) != QLatin1Char('"'); ++i) {
                if (text.at(i) == QLatin1Char('\\') && i + 1 < text.size() && escapableInDoubleQuotes(text.at(i + 1))) {
                    ++i;
                    if (text.at(i) == QLatin1Char('\n'))
                        continue;
                }
                word += text.at(i);
            }
            if (i >= text.size()) {
                *error = QStringLiteral("unterminated double quote at character %1").arg(start + 1);
                return false;
            }
            inWord = true;
        } else if (c == QLatin1Char('\\')) {
            if (i + 1 >= text.size()) {
                *error = QStringLiteral("trailing backslash");
                return false;
            }
            ++i;
            // A backslash before a line break joins the lines.
            if (text.at(i) != QLatin1Char('\n')) {
                word += text.at(i);
                inWord = true;
            }
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord)
        words->append(word);
    return true;
}

QString CommandWords::shellQuoted(const QString &word)
{
    QString quoted = word;
    quoted.replace(QLatin1Char('\''), QStringLiteral("'\\''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}
