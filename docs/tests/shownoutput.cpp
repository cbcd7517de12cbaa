#include "shownoutput.h"

#include <QHash>
#include <QRegularExpression>

#include <algorithm>
#include <functional>

namespace {

const QLatin1String ellipsis("...");

// Replaced in this order: a date holds a time, an id may look like a hash.
// Every decimal number counts as a measure (times of exchanges, durations,
// sizes); whole numbers only with a unit of time, so that counts still count.
const QList<QPair<QRegularExpression, QString>> &volatileParts()
{
    static const QList<QPair<QRegularExpression, QString>> parts = {
        {QRegularExpression(
             QStringLiteral("\\d{4}-\\d\\d-\\d\\d[T ]\\d\\d:\\d\\d:\\d\\d(\\.\\d+)?(Z|[+-]\\d\\d:?\\d\\d)?")),
         QStringLiteral("<date>")},
        {QRegularExpression(QStringLiteral("\\b1[5-9]\\d{8}\\b")), QStringLiteral("<date>")},
        {QRegularExpression(
             QStringLiteral("\\{?[0-9a-fA-F]{8}-[0-9a-fA-F]{4}-[0-9a-fA-F]{4}-[0-9a-fA-F]{4}-[0-9a-fA-F]{12}\\}?")),
         QStringLiteral("<id>")},
        {QRegularExpression(QStringLiteral("\\b[0-9a-f]{32,}\\b")), QStringLiteral("<hash>")},
        {QRegularExpression(QStringLiteral("\\b\\d+\\.\\d+\\b")), QStringLiteral("<n>")},
        {QRegularExpression(QStringLiteral("\\b\\d+ ?(s|ms|sec)\\b")), QStringLiteral("<n> \\1")},
    };
    return parts;
}

bool lineMatches(const QString &shown, const QString &printed)
{
    if (!shown.contains(ellipsis))
        return shown == printed;
    QStringList pieces = shown.split(ellipsis);
    for (QString &piece : pieces)
        piece = QRegularExpression::escape(piece);
    const QRegularExpression pattern(QRegularExpression::anchoredPattern(pieces.join(QLatin1String(".*"))));
    return pattern.match(printed).hasMatch();
}

} // namespace

ShownOutput::ShownOutput(const QList<QPair<QString, QString>> &folders)
    : m_folders(folders)
{
    std::sort(m_folders.begin(), m_folders.end(),
              [](const auto &a, const auto &b) { return a.first.size() > b.first.size(); });
}

QStringList ShownOutput::normalised(const QStringList &lines) const
{
    QStringList result;
    for (QString line : lines) {
        for (const auto &folder : m_folders)
            line.replace(folder.first, folder.second);
        for (const auto &part : volatileParts())
            line.replace(part.first, part.second);
        while (line.endsWith(QLatin1Char(' ')))
            line.chop(1);
        result.append(line);
    }
    while (!result.isEmpty() && result.last().isEmpty())
        result.removeLast();
    return result;
}

bool ShownOutput::matches(const QStringList &shown, const QStringList &printed) const
{
    const QStringList expected = normalised(shown);
    const QStringList actual = normalised(printed);
    // Memoised on (line shown, line printed): a page's "..." lines would
    // otherwise try every split of a long output again and again.
    QHash<qint64, bool> known;
    std::function<bool(int, int)> from = [&](int e, int a) {
        const qint64 key = qint64(e) << 32 | a;
        const auto found = known.constFind(key);
        if (found != known.constEnd())
            return *found;
        bool result;
        if (e == expected.size())
            result = a == actual.size();
        else if (expected.at(e) == ellipsis)
            result = from(e + 1, a) || (a < actual.size() && from(e, a + 1));
        else
            result = a < actual.size() && lineMatches(expected.at(e), actual.at(a)) && from(e + 1, a + 1);
        known.insert(key, result);
        return result;
    };
    return from(0, 0);
}
