#ifndef KORVUDOCS_MARKDOWNFENCES_H
#define KORVUDOCS_MARKDOWNFENCES_H

#include <QList>
#include <QString>
#include <QStringList>

/// The fenced code blocks of a Markdown page, as the docs examples read them.
class MarkdownFences
{
public:
    struct Block
    {
        int line = 0; ///< 1-based line of the opening fence
        QString info; ///< the fence's info string, trimmed
        QStringList lines; ///< the block's lines, without the fences
        QStringList setup; ///< commands of a "<!-- docs-setup: ... -->" comment right above the fence
    };

    /// Every fenced block of @p markdown in page order. A fence left open runs
    /// to the end of the page, as Markdown renders it.
    static QList<Block> read(const QString &markdown);
};

#endif
