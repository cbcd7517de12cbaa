#include "logtext.h"

namespace {

constexpr int maxMapEntries = 8;

bool breaksLogLine(QChar character)
{
    switch (character.category()) {
    case QChar::Other_Control: // line feeds, carriage returns, escape sequences
    case QChar::Other_Format: // direction overrides that reorder what is shown
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
        return true;
    default:
        return false;
    }
}

QString escaped(QChar character)
{
    switch (character.unicode()) {
    case '\n':
        return QStringLiteral("\\n");
    case '\r':
        return QStringLiteral("\\r");
    case '\t':
        return QStringLiteral("\\t");
    default:
        return QStringLiteral("\\u%1").arg(character.unicode(), 4, 16, QLatin1Char('0'));
    }
}

// The head of text with every line-breaking character escaped: about limit
// characters. Sets *complete to whether all of text is in it.
QString sanitisedHead(const QString &text, int limit, bool *complete)
{
    QString head;
    head.reserve(qMin(text.size(), limit) + 8);
    int consumed = 0;
    for (; consumed < text.size() && head.size() < limit; ++consumed) {
        const QChar character = text.at(consumed);
        if (breaksLogLine(character))
            head += escaped(character);
        else if (character.isHighSurrogate() && head.size() + 1 >= limit)
            break; // never split a surrogate pair
        else
            head += character;
    }
    *complete = consumed == text.size();
    return head;
}

QString valueText(const QVariant &value)
{
    if (value.canConvert<QString>())
        return value.toString();
    return QStringLiteral("<%1>").arg(QString::fromLatin1(value.typeName()));
}

} // namespace

namespace LogText {

QString shortened(const QString &text, int limit)
{
    bool complete = false;
    const QString head = sanitisedHead(text, limit, &complete);
    return complete ? head : head + QStringLiteral("... (%1 characters)").arg(text.size());
}

QString shortened(const QByteArray &text, int limit)
{
    // Decode no more than can be shown: a character takes at most four bytes.
    const QByteArray prefix = text.left(limit * 4 + 4);
    bool complete = false;
    const QString head = sanitisedHead(QString::fromUtf8(prefix), limit, &complete);
    if (complete && prefix.size() == text.size())
        return head;
    return head + QStringLiteral("... (%1 bytes)").arg(text.size());
}

QString shortened(const QVariantMap &map)
{
    QStringList entries;
    for (auto entry = map.cbegin(); entry != map.cend() && entries.size() < maxMapEntries; ++entry)
        entries += shortened(entry.key()) + QStringLiteral(": ") + shortened(valueText(entry.value()));
    if (map.size() > maxMapEntries)
        entries += QStringLiteral("... (%1 entries)").arg(map.size());
    return QLatin1Char('{') + entries.join(QStringLiteral(", ")) + QLatin1Char('}');
}

} // namespace LogText
