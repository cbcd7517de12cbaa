// Fails unless every option korvu-check's --help (and merge --help) lists is
// described in exactly one docs page's "## Options" section, no page describes
// an option korvu-check lacks, and the manual page names every option.
//
//   docoptions KORVU_CHECK SOURCE_DIR [MANUAL_PAGE.gz]
#include "optionreference.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QTextStream>

namespace {

QTextStream &out()
{
    static QTextStream stream(stdout);
    return stream;
}

QString printed(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished();
    return QString::fromUtf8(process.readAllStandardOutput());
}

// Where each name is described: page names, once per description.
QMap<QString, QStringList> describedIn(const QString &source)
{
    QMap<QString, QStringList> pages;
    const QDir docs(source + QStringLiteral("/docs"));
    for (const QString &name : docs.entryList({QStringLiteral("*.md")}, QDir::Files, QDir::Name)) {
        QFile page(docs.filePath(name));
        page.open(QIODevice::ReadOnly);
        for (const QString &option : OptionReference::fromPage(QString::fromUtf8(page.readAll())))
            pages[option].append(QStringLiteral("docs/") + name);
    }
    return pages;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments().mid(1);
    if (arguments.size() < 2) {
        QTextStream(stderr) << "usage: docoptions KORVU_CHECK SOURCE_DIR [MANUAL_PAGE.gz]\n";
        return 2;
    }
    const QString check = arguments.at(0);
    QStringList options = OptionReference::fromHelp(printed(check, {QStringLiteral("--help")}));
    for (const QString &option :
         OptionReference::fromHelp(printed(check, {QStringLiteral("merge"), QStringLiteral("--help")}))) {
        if (!options.contains(option))
            options.append(option);
    }
    if (options.isEmpty()) {
        out() << "FAIL: " << check << " --help lists no options\n";
        return 1;
    }

    int faults = 0;
    const QMap<QString, QStringList> pages = describedIn(arguments.at(1));
    for (const QString &option : options) {
        const QStringList where = pages.value(option);
        if (where.size() != 1) {
            out() << "FAIL: " << option << " is described in " << where.size() << " docs references"
                  << (where.isEmpty() ? QString() : QStringLiteral(" (") + where.join(QStringLiteral(", ")) + ")")
                  << ", not in exactly one\n";
            ++faults;
        }
    }
    for (auto described = pages.cbegin(); described != pages.cend(); ++described) {
        if (!options.contains(described.key())) {
            out() << "FAIL: " << described.value().join(QStringLiteral(", ")) << " describes " << described.key()
                  << ", which korvu-check --help does not list\n";
            ++faults;
        }
    }

    if (arguments.size() > 2) {
        QProcess unzip;
        unzip.start(QStringLiteral("gzip"), {QStringLiteral("-dc"), arguments.at(2)});
        unzip.waitForFinished();
        const QString manual = QString::fromUtf8(unzip.readAllStandardOutput());
        if (unzip.exitCode() != 0 || manual.isEmpty()) {
            out() << "FAIL: cannot read the manual page " << arguments.at(2) << " (build korvu-check-manpage)\n";
            ++faults;
        }
        for (const QString &option : options) {
            // help2man writes every '-' of an option as '\-'.
            QString written = option;
            written.replace(QLatin1Char('-'), QLatin1String("\\-"));
            if (!manual.isEmpty() && !manual.contains(written)) {
                out() << "FAIL: the manual page does not name " << option << "\n";
                ++faults;
            }
        }
    }
    out() << options.size() << " options, " << faults << " faults\n";
    return faults == 0 ? 0 : 1;
}
