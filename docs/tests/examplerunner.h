#ifndef KORVUDOCS_EXAMPLERUNNER_H
#define KORVUDOCS_EXAMPLERUNNER_H

#include "consoleexample.h"

#include <QString>
#include <QStringList>

/// Runs a console block's commands in a scratch folder of its own, with the
/// build tree's korvu-check first on PATH, and compares what each prints
/// with what the page shows.
class ExampleRunner
{
public:
    ExampleRunner(const QString &sourceDir, const QString &buildDir, int commandTimeoutMs);

    /// Runs @p setup (hidden commands that must print nothing), then the
    /// example's steps. Returns why it failed, or an empty string.
    QString run(const QStringList &setup, const ConsoleExample &example) const;

private:
    struct Printed
    {
        QStringList lines;
        bool finished = true;
    };
    Printed printed(const QString &command, const QString &folder) const;

    QString m_source;
    QString m_build;
    int m_timeoutMs;
};

#endif
