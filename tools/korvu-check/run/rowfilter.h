#ifndef KORVUCHECK_ROWFILTER_H
#define KORVUCHECK_ROWFILTER_H

#include "run/shardplan.h"

#include <QRegularExpression>
#include <QVector>

// Which of the suite's listed functions and rows a run takes: those the
// words after -- name (all without any), whose name ("function(row)", as the
// reports show it) matches --grep and not --grep-invert, and with
// --last-failed those that failed before. Every condition given must hold.
class RowFilter
{
public:
    // selections: "function" or "function:row" words; a pattern left empty
    // filters nothing.
    explicit RowFilter(const QStringList &selections = QStringList(), const QString &grep = QString(),
                       const QString &grepInvert = QString());

    // Keeps only the rows these selection words name; unlike a selection on
    // the command line, words the suite no longer has select nothing rather
    // than being refused.
    void keepOnly(const QStringList &words);
    // Whether more than the words after -- decide, so that the selection the
    // suite gets must be worked out from its listing.
    bool narrowsBeyondSelections() const;
    // Whether two of the words after -- name the same listed test (a row
    // twice, or a row and its whole function). The suite would run it twice
    // in one process, under one name.
    bool selectionsOverlap(const QVector<ShardPlan::Test> &listed) const;

    // The listed tests kept, in the suite's order; false with *error for a
    // selection the suite does not have, or when the conditions keep nothing.
    bool apply(const QVector<ShardPlan::Test> &listed, QVector<ShardPlan::Test> *kept, QString *error) const;

private:
    bool selectWord(const QVector<ShardPlan::Test> &listed, const QString &selection, QVector<bool> *selected,
                    QString *error) const;
    bool matches(const ShardPlan::Test &test) const;
    QString conditions() const;

    QStringList m_selections;
    QString m_grep;
    QString m_grepInvert;
    QRegularExpression m_grepPattern;
    QRegularExpression m_grepInvertPattern;
    bool m_keepOnlyGiven = false;
    QStringList m_keepOnly;
};

#endif // KORVUCHECK_ROWFILTER_H
