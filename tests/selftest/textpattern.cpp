#include "textpattern.h"

namespace {

const QString digitsPlaceholder = QStringLiteral("<<N>>");
const QString uuidPlaceholder = QStringLiteral("<<UUID>>");

QString expressionOf(const QString &pattern)
{
    QString expression;
    int position = 0;
    while (position < pattern.size()) {
        const int digits = pattern.indexOf(digitsPlaceholder, position);
        const int uuid = pattern.indexOf(uuidPlaceholder, position);
        int next = digits < 0 ? uuid : (uuid < 0 ? digits : qMin(digits, uuid));
        if (next < 0)
            next = pattern.size();
        expression += QRegularExpression::escape(pattern.mid(position, next - position));
        if (next == pattern.size())
            break;
        if (next == digits) {
            expression += QStringLiteral("-?\\d+");
            position = next + digitsPlaceholder.size();
        } else {
            expression += QStringLiteral("[0-9a-f]{8}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{12}");
            position = next + uuidPlaceholder.size();
        }
    }
    return QRegularExpression::anchoredPattern(expression);
}

QString visible(QString text) { return text.replace('\n', QStringLiteral("\\n")); }

} // namespace

TextPattern::TextPattern(const QString &pattern)
    : m_pattern(pattern)
    , m_expression(expressionOf(pattern))
{
}

bool TextPattern::matches(const QString &text) const { return m_expression.match(text).hasMatch(); }

bool TextPattern::matchesPossiblyCut(const QString &text, int byteLimit) const
{
    if (matches(text))
        return true;
    if (text.toUtf8().size() != byteLimit)
        return false;
    const QRegularExpressionMatch match = m_expression.match(text, 0, QRegularExpression::PartialPreferFirstMatch);
    return match.hasPartialMatch() || match.hasMatch();
}

QString TextPattern::mismatch(const QString &text) const
{
    // Find the longest prefix of the text that a prefix of the pattern still accepts.
    int good = 0;
    for (int length = 1; length <= text.size(); ++length) {
        const QRegularExpressionMatch match = m_expression.match(text.left(length), 0,
                                                                 QRegularExpression::PartialPreferFirstMatch);
        if (!match.hasPartialMatch() && !match.hasMatch())
            break;
        good = length;
    }
    return QStringLiteral("expected: \"%1\"\n   actual: \"%2\"\n   they part after \"%3\"")
        .arg(visible(m_pattern), visible(text), visible(text.left(good).right(60)));
}
