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

    QString manual;
    if (arguments.size() > 2) {
        QProcess unzip;
        unzip.start(QStringLiteral("gzip"), {QStringLiteral("-dc"), arguments.at(2)});
        unzip.waitForFinished();
        manual = QString::fromUtf8(unzip.readAllStandardOutput());
        if (unzip.exitCode() != 0 || manual.isEmpty()) {
            out() << "FAIL: cannot read the manual page " << arguments.at(2) << " (build korvu-check-manpage)\n";
            return 1;
        }
    }
    const QStringList faults = OptionReference::disagreements(options, describedIn(arguments.at(1)), manual);
    for (const QString &fault : faults)
        out() << "FAIL: " << fault << "\n";
    out() << options.size() << " options, " << faults.size() << " faults\n";
    return faults.isEmpty() ? 0 : 1;
}
