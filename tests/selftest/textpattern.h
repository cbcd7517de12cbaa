#ifndef SELFTEST_TEXTPATTERN_H
#define SELFTEST_TEXTPATTERN_H

#include <QRegularExpression>
#include <QString>

// Literal text in which a few placeholders stand for values that only the run
// knows: <<N>> is a run of digits (request ids, clock readings), <<UUID>> a bare
// lower-case UUID that the suite made up.
class TextPattern
{
public:
    explicit TextPattern(const QString &pattern);

    bool matches(const QString &text) const;
    // Also accepts text cut off at byteLimit bytes, when the text has exactly that length.
    bool matchesPossiblyCut(const QString &text, int byteLimit) const;

    // A short report of where text leaves the pattern, for failure messages.
    QString mismatch(const QString &text) const;

private:
    QString m_pattern;
    QRegularExpression m_expression;
};

#endif // SELFTEST_TEXTPATTERN_H
