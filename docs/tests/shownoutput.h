#ifndef KORVUDOCS_SHOWNOUTPUT_H
#define KORVUDOCS_SHOWNOUTPUT_H

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

/// Compares the output a docs page shows with what a command printed, as
/// doctest's ELLIPSIS does: a line "..." stands for any lines, "..." inside a
/// line for any text. Both sides are normalised first, so that times, dates,
/// ids, hashes and the folders of one machine do not count.
class ShownOutput
{
public:
    /// @p folders maps folders of this run (the scratch folder, the build
    /// tree) to the names the pages use for them, longest first.
    explicit ShownOutput(const QList<QPair<QString, QString>> &folders = {});

    QStringList normalised(const QStringList &lines) const;
    bool matches(const QStringList &shown, const QStringList &printed) const;

private:
    QList<QPair<QString, QString>> m_folders;
};

#endif
