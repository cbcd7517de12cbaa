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

QStringList OptionReference::disagreements(const QStringList &options, const QMap<QString, QStringList> &describedIn,
                                           const QString &manual)
{
    QStringList faults;
    for (const QString &option : options) {
        const QStringList pages = describedIn.value(option);
        if (pages.size() != 1) {
            faults.append(QStringLiteral("%1 is described in %2 docs references%3, not in exactly one")
                              .arg(option)
                              .arg(pages.size())
                              .arg(pages.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(pages.join(", "))));
        }
        // help2man writes every '-' of an option as '\-'; "--list" must not
        // be found in "--list-json".
        QString written = option;
        written.replace(QLatin1Char('-'), QLatin1String("\\-"));
        const QRegularExpression named(QRegularExpression::escape(written) + QStringLiteral("(?![A-Za-z0-9]|\\\\-)"));
        if (!manual.isEmpty() && !named.match(manual).hasMatch())
            faults.append(QStringLiteral("the manual page does not name %1").arg(option));
    }
    for (auto described = describedIn.cbegin(); described != describedIn.cend(); ++described) {
        if (!options.contains(described.key())) {
            faults.append(QStringLiteral("%1 describes %2, which korvu-check --help does not list")
                              .arg(described.value().join(", "), described.key()));
        }
    }
    return faults;
}
