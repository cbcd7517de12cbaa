// Runs the ```console blocks of README.md and docs/*.md, each in a scratch
// folder with the build tree's korvu-check first on PATH, and fails when a
// command fails or no longer prints what its page shows.
//
//   docexamples SOURCE_DIR BUILD_DIR [PAGE...]
#include "consoleexample.h"
#include "examplerunner.h"
#include "markdownfences.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QStandardPaths>
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

QStringList defaultPages(const QString &source)
{
    QStringList pages = {source + QStringLiteral("/README.md")};
    const QDir docs(source + QStringLiteral("/docs"));
    for (const QString &name : docs.entryList({QStringLiteral("*.md")}, QDir::Files, QDir::Name))
        pages.append(docs.filePath(name));
    return pages;
}

QString missingTool(const ConsoleExample &example)
{
    for (const QString &tool : example.needs()) {
        if (QStandardPaths::findExecutable(tool).isEmpty())
            return tool;
    }
    return QString();
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
    const QString source = QDir(arguments.at(0)).canonicalPath();
    const ExampleRunner runner(source, arguments.at(1), commandTimeoutMs);
    const QStringList files = arguments.size() > 2 ? arguments.mid(2) : defaultPages(source);

    int ran = 0;
    int failed = 0;
    for (const QString &file : files) {
        QFile page(file);
        if (!page.open(QIODevice::ReadOnly)) {
            out() << "FAIL " << file << ": " << page.errorString() << "\n";
            ++failed;
            continue;
        }
        const QString name = QDir(source).relativeFilePath(QFileInfo(file).absoluteFilePath());
        for (const MarkdownFences::Block &block : MarkdownFences::read(QString::fromUtf8(page.readAll()))) {
            const ConsoleExample example(block.info, block.lines);
            const QString where = QStringLiteral("%1:%2").arg(name).arg(block.line);
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
            const QString missing = missingTool(example);
            if (!missing.isEmpty()) {
                out() << "skipped " << where << ": needs " << missing << ", which is not installed\n";
                continue;
            }
            QElapsedTimer timer;
            timer.start();
            ++ran;
            const QString failure = runner.run(block.setup, example);
            if (failure.isEmpty()) {
                out() << "ok " << where << " (" << timer.elapsed() / 1000.0 << " s)\n";
            } else {
                out() << "FAIL " << where << ": " << failure;
                ++failed;
            }
            out().flush();
        }
    }
    out() << ran << " blocks run, " << failed << " failed\n";
    return failed == 0 ? 0 : 1;
}
