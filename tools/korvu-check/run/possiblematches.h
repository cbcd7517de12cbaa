#ifndef KORVUCHECK_POSSIBLEMATCHES_H
#define KORVUCHECK_POSSIBLEMATCHES_H

#include <QString>
#include <QStringList>

// The names a word that names nothing may have meant, offered beside its
// refusal as the suite offers them for an unknown function.
class PossibleMatches
{
public:
    // The names that hold the word or that it holds, whatever the case, and
    // those a typo or two away from it: the closest first, ties in their order.
    static QStringList among(const QStringList &names, const QString &word);
    // ". Possible matches: 'a', 'b'" to follow a refusal, or empty where no
    // name comes close.
    static QString hint(const QStringList &names, const QString &word);
};

#endif // KORVUCHECK_POSSIBLEMATCHES_H
