#include "optionreference.h"

#include <QRegularExpression>

namespace {

const QLatin1String referenceHeading("## Options");

} // namespace

QStringList OptionReference::fromHelp(const QString &help)
{
    // Options stand two spaces in; their wrapped descriptions further in.
    static const QRegularExpression entry(QStringLiteral("^  (-[^\\s,]+(?:, -[^\\s,]+)*)"));
    QStringList names;
    bool inOptions = false;
    for (const QString &line : help.split(QLatin1Char('\n'))) {
        if (!line.startsWith(QLatin1Char(' ')))
            inOptions = line == QLatin1String("Options:");
        const QRegularExpressionMatch match = entry.match(line);
        if (inOptions && match.hasMatch())
            names.append(match.captured(1).split(QStringLiteral(", ")));
    }
    return names;
}

QStringList OptionReference::fromPage(const QString &markdown)
{
    static const QRegularExpression item(QStringLiteral("^- ((?:`[^`]+`(?:, | or )?)+):"));
    static const QRegularExpression span(QStringLiteral("`(-[^`\\s]+)[^`]*`"));
    QStringList names;
    bool inReference = false;
    for (const QString &line : markdown.split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1String("#")))
            inReference = line.trimmed() == referenceHeading;
        const QRegularExpressionMatch match = item.match(line);
        if (!inReference || !match.hasMatch())
            continue;
        QRegularExpressionMatchIterator spans = span.globalMatch(match.captured(1));
        while (spans.hasNext())
            names.append(spans.next().captured(1));
    }
    return names;
}
