#include "examplerunner.h"
#include "shownoutput.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

namespace {

QString mismatch(const QString &command, const QStringList &shown, const QStringList &printed,
                 const ShownOutput &output)
{
    QString text = QStringLiteral("$ %1\n  shown (normalised):\n").arg(command);
    for (const QString &line : output.normalised(shown))
        text += QStringLiteral("    | %1\n").arg(line);
    text += QStringLiteral("  printed (normalised):\n");
    for (const QString &line : output.normalised(printed))
        text += QStringLiteral("    | %1\n").arg(line);
    return text;
}

} // namespace

ExampleRunner::ExampleRunner(const QString &sourceDir, const QString &buildDir, int commandTimeoutMs)
    : m_source(QDir(sourceDir).canonicalPath())
    , m_build(QDir(buildDir).canonicalPath())
    , m_timeoutMs(commandTimeoutMs)
{
}

QString ExampleRunner::run(const QStringList &setup, const ConsoleExample &example) const
{
    QTemporaryDir scratch;
    if (!scratch.isValid())
        return QStringLiteral("no scratch folder: %1").arg(scratch.errorString());
    const QString folder = QDir(scratch.path()).canonicalPath();
    const ShownOutput output(
        {{folder, QStringLiteral("$PWD")}, {m_build, QStringLiteral("$BUILD")}, {m_source, QStringLiteral("$SOURCE")}});
    for (const QString &command : setup) {
        const Printed result = printed(command, folder);
        if (!result.finished || !output.matches({}, result.lines))
            return QStringLiteral("set-up ") + mismatch(command, {}, result.lines, output);
    }
    for (const ConsoleExample::Step &step : example.steps()) {
        const Printed result = printed(step.command, folder);
        if (!result.finished)
            return QStringLiteral("$ %1\n  still running after %2 s, killed\n")
                .arg(step.command)
                .arg(m_timeoutMs / 1000.0);
        if (!output.matches(step.expected, result.lines))
            return mismatch(step.command, step.expected, result.lines, output);
    }
    return QString();
}

ExampleRunner::Printed ExampleRunner::printed(const QString &command, const QString &folder) const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("PATH"),
                       m_build + QStringLiteral("/tools/korvu-check:") + environment.value(QStringLiteral("PATH")));
    // What korvu-check keeps between runs stays in the scratch folder.
    environment.insert(QStringLiteral("XDG_CACHE_HOME"), folder + QStringLiteral("/.cache"));
    environment.insert(QStringLiteral("KORVU_DOCS_BUILD"), m_build);
    environment.insert(QStringLiteral("KORVU_DOCS_SOURCE"), m_source);
    // find_package(KorvuDeliveryChecks) finds this build tree as it would the
    // installed package.
    environment.insert(QStringLiteral("CMAKE_PREFIX_PATH"), m_build);
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(folder);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(QStringLiteral("bash"),
                  {QStringLiteral("-o"), QStringLiteral("pipefail"), QStringLiteral("-c"), command});
    Printed result;
    if (!process.waitForFinished(m_timeoutMs)) {
        process.kill();
        process.waitForFinished();
        result.finished = false;
    }
    QString text = QString::fromUtf8(process.readAll());
    if (text.endsWith(QLatin1Char('\n')))
        text.chop(1);
    result.lines = text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n'));
    // A page shows a failing command by its status, as the last line.
    if (result.finished && process.exitCode() != 0)
        result.lines.append(QStringLiteral("[exit %1]").arg(process.exitCode()));
    return result;
}
