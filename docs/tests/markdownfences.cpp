#include "markdownfences.h"

#include <QRegularExpression>

namespace {

const QLatin1String setupPrefix("<!-- docs-setup:");

// Hidden set-up, as rustdoc's "# " lines: what a reader has already (a daemon
// of their own) but a scratch folder lacks. One command per line.
QStringList setupCommands(const QString &comment)
{
    QString body = comment.mid(setupPrefix.size());
    body.chop(QStringLiteral("-->").size());
    QStringList commands;
    for (const QString &line : body.split(QLatin1Char('\n'))) {
        if (!line.trimmed().isEmpty())
            commands.append(line.trimmed());
    }
    return commands;
}

} // namespace

QList<MarkdownFences::Block> MarkdownFences::read(const QString &markdown)
{
    static const QRegularExpression opening(QStringLiteral("^ {0,3}(`{3,}|~{3,})(.*)$"));
    const QStringList lines = markdown.split(QLatin1Char('\n'));
    QList<Block> blocks;
    QString pendingComment;
    for (int i = 0; i < lines.size(); ++i) {
        const QString &line = lines.at(i);
        if (line.trimmed().startsWith(setupPrefix)) {
            pendingComment = line.trimmed();
            while (!pendingComment.endsWith(QLatin1String("-->")) && i + 1 < lines.size())
                pendingComment += QLatin1Char('\n') + lines.at(++i).trimmed();
            continue;
        }
        const QRegularExpressionMatch match = opening.match(line);
        if (!match.hasMatch()) {
            if (!line.trimmed().isEmpty())
                pendingComment.clear();
            continue;
        }
        const QString fence = match.captured(1);
        Block block;
        block.line = i + 1;
        block.info = match.captured(2).trimmed();
        if (!pendingComment.isEmpty())
            block.setup = setupCommands(pendingComment);
        pendingComment.clear();
        for (++i; i < lines.size(); ++i) {
            const QString trimmed = lines.at(i).trimmed();
            if (trimmed.startsWith(fence) && trimmed.count(fence.at(0)) == trimmed.size())
                break;
            block.lines.append(lines.at(i));
        }
        blocks.append(block);
    }
    return blocks;
}
