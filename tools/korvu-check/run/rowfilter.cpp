#include "run/rowfilter.h"
#include "run/possiblematches.h"

RowFilter::RowFilter(const QStringList &selections, const QString &grep, const QString &grepInvert)
    : m_selections(selections)
    , m_grep(grep)
    , m_grepInvert(grepInvert)
    , m_grepPattern(grep)
    , m_grepInvertPattern(grepInvert)
{
}

void RowFilter::keepOnly(const QStringList &words)
{
    m_keepOnlyGiven = true;
    m_keepOnly = words;
}

bool RowFilter::narrowsBeyondSelections() const
{
    return !m_grep.isEmpty() || !m_grepInvert.isEmpty() || m_keepOnlyGiven;
}

bool RowFilter::selectionsOverlap(const QVector<ShardPlan::Test> &listed) const
{
    QVector<bool> named(listed.size(), false);
    for (const QString &selection : m_selections) {
        QVector<bool> byWord(listed.size(), false);
        QString unknown;
        selectWord(listed, selection, &byWord, &unknown);
        for (int i = 0; i < listed.size(); ++i) {
            if (byWord.at(i) && named.at(i))
                return true;
            named[i] = named.at(i) || byWord.at(i);
        }
    }
    return false;
}

bool RowFilter::apply(const QVector<ShardPlan::Test> &listed, QVector<ShardPlan::Test> *kept, QString *error) const
{
    QVector<bool> selected(listed.size(), m_selections.isEmpty());
    for (const QString &selection : m_selections) {
        if (!selectWord(listed, selection, &selected, error))
            return false;
    }
    kept->clear();
    for (int i = 0; i < listed.size(); ++i) {
        if (selected.at(i) && matches(listed.at(i)))
            kept->append(listed.at(i));
    }
    if (kept->isEmpty()) {
        *error = QStringLiteral("no function or row of the suite is selected by %1").arg(conditions());
        return false;
    }
    return true;
}

// Marks the listed tests that a selection names.
bool RowFilter::selectWord(const QVector<ShardPlan::Test> &listed, const QString &selection, QVector<bool> *selected,
                           QString *error) const
{
    const int colon = selection.indexOf(QLatin1Char(':'));
    const QString function = colon < 0 ? selection : selection.left(colon);
    const QString row = colon < 0 ? QString() : selection.mid(colon + 1);
    bool functionFound = false;
    bool rowFound = false;
    QStringList functions;
    QStringList rows;
    for (int i = 0; i < listed.size(); ++i) {
        functions.append(listed.at(i).function);
        if (listed.at(i).function != function)
            continue;
        functionFound = true;
        rows.append(listed.at(i).row);
        if (colon >= 0 && listed.at(i).row != row)
            continue;
        rowFound = true;
        (*selected)[i] = true;
    }
    if (!functionFound)
        *error = QStringLiteral("the suite has no test function '%1'").arg(function)
                 + PossibleMatches::hint(functions, function);
    else if (!rowFound)
        *error = QStringLiteral("%1 has no data row '%2'").arg(function, row) + PossibleMatches::hint(rows, row);
    return rowFound;
}

bool RowFilter::matches(const ShardPlan::Test &test) const
{
    const QString name = test.testName();
    if (!m_grep.isEmpty() && !m_grepPattern.match(name).hasMatch())
        return false;
    if (!m_grepInvert.isEmpty() && m_grepInvertPattern.match(name).hasMatch())
        return false;
    return !m_keepOnlyGiven || m_keepOnly.contains(test.selectionWord());
}

// "the words after --, --grep 'DHL' and --last-failed", as they were given.
QString RowFilter::conditions() const
{
    QStringList given;
    if (!m_selections.isEmpty())
        given.append(QStringLiteral("the words after -- (%1)").arg(m_selections.join(QLatin1Char(' '))));
    if (!m_grep.isEmpty())
        given.append(QStringLiteral("--grep '%1'").arg(m_grep));
    if (!m_grepInvert.isEmpty())
        given.append(QStringLiteral("--grep-invert '%1'").arg(m_grepInvert));
    if (m_keepOnlyGiven)
        given.append(QStringLiteral("--last-failed (%1)").arg(m_keepOnly.join(QLatin1Char(' '))));
    if (given.size() == 1)
        return given.constFirst();
    const QString last = given.takeLast();
    return given.join(QStringLiteral(", ")) + QStringLiteral(" and ") + last;
}
