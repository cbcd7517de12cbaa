#ifndef KORVUDOCS_CONSOLEEXAMPLE_H
#define KORVUDOCS_CONSOLEEXAMPLE_H

#include <QList>
#include <QString>
#include <QStringList>

/// A ```console block of the docs: the commands after "$ " and the output
/// shown under each, and whether and when the block runs.
class ConsoleExample
{
public:
    enum class Kind {
        NotConsole, ///< another language's block; documentation only
        Runnable, ///< "console", or "console needs: TOOL..."
        NotRun, ///< "console not-run: REASON"
        Invalid, ///< a shell block or a console block that cannot be read
    };

    struct Step
    {
        QString command; ///< continued lines joined with a newline
        QStringList expected;
    };

    /// Reads a fenced block with @p info string and @p lines.
    ConsoleExample(const QString &info, const QStringList &lines);

    Kind kind() const { return m_kind; }
    /// Why the block is not run, or what is wrong with it.
    QString reason() const { return m_reason; }
    /// Programs that must be on PATH for the block to run.
    QStringList needs() const { return m_needs; }
    QList<Step> steps() const { return m_steps; }

private:
    void readInfo(const QString &info);
    void readSteps(const QStringList &lines);

    Kind m_kind = Kind::NotConsole;
    QString m_reason;
    QStringList m_needs;
    QList<Step> m_steps;
};

#endif
