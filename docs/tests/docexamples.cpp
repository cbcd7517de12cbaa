// Runs the ```console blocks of README.md and docs/*.md, each in a scratch
// folder with the build tree's korvu-check first on PATH, and fails when a
// command fails or no longer prints what its page shows.
//
//   docexamples SOURCE_DIR BUILD_DIR [PAGE...]
#include "consoleexample.h"
#include "markdownfences.h"
#include "shownoutput.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextStream>

namespace {

// Longer than any block's korvu-check run on a loaded machine; a hung
// command must still end the entry with a message.
constexpr int commandTimeoutMs = 150 * 1000;

QTextStream &out()
{
    static QTextStream stream(stdout);
    return stream;
}

struct Pages
{
    QString source;
    QString build;
};

struct Printed
{
    QStringList lines;
    bool finished = true;
};

Printed run(const QString &command, const QString &folder, const Pages &pages)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("PATH"),
                       pages.build + QStringLiteral("/tools/korvu-check:") + environment.value(QStringLiteral("PATH")));
    // What korvu-check keeps between runs stays in the scratch folder.
    environment.insert(QStringLiteral("XDG_CACHE_HOME"), folder + QStringLiteral("/.cache"));
    environment.insert(QStringLiteral("KORVU_DOCS_BUILD"), pages.build);
    environment.insert(QStringLiteral("KORVU_DOCS_SOURCE"), pages.source);
    // find_package(KorvuDeliveryChecks) finds this build tree as it would the
    // installed package.
    environment.insert(QStringLiteral("CMAKE_PREFIX_PATH"), pages.build);
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(folder);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(QStringLiteral("bash"),
                  {QStringLiteral("-o"), QStringLiteral("pipefail"), QStringLiteral("-c"), command});
    Printed printed;
    if (!process.waitForFinished(commandTimeoutMs)) {
        process.kill();
        process.waitForFinished();
        printed.finished = false;
    }
    QString text = QString::fromUtf8(process.readAll());
    if (text.endsWith(QLatin1Char('\n')))
        text.chop(1);
    printed.lines = text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n'));
    // A page shows a failing command by its status, as the last line.
    if (printed.finished && process.exitCode() != 0)
        printed.lines.append(QStringLiteral("[exit %1]").arg(process.exitCode()));
    return printed;
}

void report(const QString &where, const QString &command, const QStringList &shown, const QStringList &printed,
            const ShownOutput &output)
{
    out() << "FAIL " << where << ": $ " << command << "\n  shown (normalised):\n";
    for (const QString &line : output.normalised(shown))
        out() << "    | " << line << "\n";
    out() << "  printed (normalised):\n";
    for (const QString &line : output.normalised(printed))
        out() << "    | " << line << "\n";
}

// Runs one block; returns false when it failed.
bool runBlock(const QString &where, const MarkdownFences::Block &block, const ConsoleExample &example,
              const Pages &pages)
{
    QTemporaryDir scratch;
    if (!scratch.isValid()) {
        out() << "FAIL " << where << ": no scratch folder: " << scratch.errorString() << "\n";
        return false;
    }
    const ShownOutput output({{scratch.path(), QStringLiteral("$PWD")},
                              {pages.build, QStringLiteral("$BUILD")},
                              {pages.source, QStringLiteral("$SOURCE")}});
    for (const QString &setup : block.setup) {
        const Printed printed = run(setup, scratch.path(), pages);
        if (!printed.finished || !output.matches({}, printed.lines)) {
            report(where + QStringLiteral(" (set-up)"), setup, {}, printed.lines, output);
            return false;
        }
    }
    for (const ConsoleExample::Step &step : example.steps()) {
        const Printed printed = run(step.command, scratch.path(), pages);
        if (!printed.finished) {
            out() << "FAIL " << where << ": $ " << step.command << "\n  still running after " << commandTimeoutMs / 1000
                  << " s, killed\n";
            return false;
        }
        if (!output.matches(step.expected, printed.lines)) {
            report(where, step.command, step.expected, printed.lines, output);
            return false;
        }
    }
    return true;
}

QStringList defaultPages(const QString &source)
{
    QStringList pages = {source + QStringLiteral("/README.md")};
    const QDir docs(source + QStringLiteral("/docs"));
    for (const QString &name : docs.entryList({QStringLiteral("*.md")}, QDir::Files, QDir::Name))
        pages.append(docs.filePath(name));
    return pages;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments().mid(1);
    if (arguments.size() < 2) {
        QTextStream(stderr) << "usage: docexamples SOURCE_DIR BUILD_DIR [PAGE...]\n";
        return 2;
    }
    const Pages pages{QDir(arguments.at(0)).canonicalPath(), QDir(arguments.at(1)).canonicalPath()};
    const QStringList files = arguments.size() > 2 ? arguments.mid(2) : defaultPages(pages.source);

    int ran = 0;
    int failed = 0;
    for (const QString &file : files) {
        QFile page(file);
        if (!page.open(QIODevice::ReadOnly)) {
            out() << "FAIL " << file << ": " << page.errorString() << "\n";
            ++failed;
            continue;
        }
        const QString name = QDir(pages.source).relativeFilePath(QFileInfo(file).absoluteFilePath());
        for (const MarkdownFences::Block &block : MarkdownFences::read(QString::fromUtf8(page.readAll()))) {
            const ConsoleExample example(block.info, block.lines);
            const QString where = QStringLiteral("%1:%2").arg(name).arg(block.line);
            QString missing;
            for (const QString &tool : example.needs()) {
                if (QStandardPaths::findExecutable(tool).isEmpty())
                    missing = tool;
            }
            switch (example.kind()) {
            case ConsoleExample::Kind::NotConsole:
                continue;
            case ConsoleExample::Kind::Invalid:
                out() << "FAIL " << where << ": " << example.reason() << "\n";
                ++failed;
                continue;
            case ConsoleExample::Kind::NotRun:
                out() << "not run " << where << ": " << example.reason() << "\n";
                continue;
            case ConsoleExample::Kind::Runnable:
                break;
            }
            if (!missing.isEmpty()) {
                out() << "skipped " << where << ": needs " << missing << ", which is not installed\n";
                continue;
            }
            QElapsedTimer timer;
            timer.start();
            ++ran;
            if (runBlock(where, block, example, pages))
                out() << "ok " << where << " (" << timer.elapsed() / 1000.0 << " s)\n";
            else
                ++failed;
            out().flush();
        }
    }
    out() << ran << " blocks run, " << failed << " failed\n";
    return failed == 0 ? 0 : 1;
}
