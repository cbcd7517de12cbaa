#include "run/possiblematches.h"

#include <QVector>

#include <algorithm>

namespace {

// Single-character insertions, deletions and substitutions that turn one
// into the other, ignoring case.
int editDistance(const QString &a, const QString &b)
{
    QVector<int> previous(b.size() + 1);
    QVector<int> current(b.size() + 1);
    for (int j = 0; j <= b.size(); ++j)
        previous[j] = j;
    for (int i = 1; i <= a.size(); ++i) {
        current[0] = i;
        for (int j = 1; j <= b.size(); ++j) {
            const bool same = a.at(i - 1).toCaseFolded() == b.at(j - 1).toCaseFolded();
            current[j] = std::min({previous.at(j) + 1, current.at(j - 1) + 1, previous.at(j - 1) + (same ? 0 : 1)});
        }
        std::swap(previous, current);
    }
    return previous.at(b.size());
}

bool isClose(const QString &name, const QString &word)
{
    if (name.contains(word, Qt::CaseInsensitive) || word.contains(name, Qt::CaseInsensitive))
        return true;
    // A swapped pair of letters costs two; short words allow one slip.
    return editDistance(name, word) <= std::max(1, int(word.size()) / 4);
}

} // namespace

QStringList PossibleMatches::among(const QStringList &names, const QString &word)
{
    QStringList matches;
    if (word.isEmpty())
        return matches;
    for (const QString &name : names) {
        if (!name.isEmpty() && !matches.contains(name) && isClose(name, word))
            matches.append(name);
    }
    // The likeliest meant first: a name differing only in case before a longer one that holds the word.
    std::stable_sort(matches.begin(), matches.end(), [&word](const QString &a, const QString &b) {
        return editDistance(a, word) < editDistance(b, word);
    });
    return matches;
}

QString PossibleMatches::hint(const QStringList &names, const QString &word)
{
    const QStringList matches = among(names, word);
    if (matches.isEmpty())
        return QString();
    return QStringLiteral(". Possible matches: '%1'").arg(matches.join(QStringLiteral("', '")));
}
