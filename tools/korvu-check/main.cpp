#include "commandline/bundledparts.h"
#include "commandline/checkoptions.h"
#include "commandline/exitstatus.h"
#include "merge/mergecommand.h"
#include "run/checkrun.h"
#include "run/listcommand.h"
#include "watch/watchcommand.h"

#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("korvu-check"));
    QCoreApplication::setApplicationVersion(QStringLiteral(KORVU_CHECK_VERSION));
    QTextStream out(stdout);
    QTextStream err(stderr);

    if (QCoreApplication::arguments().value(1) == QLatin1String("merge"))
        return MergeCommand(out, err).exec(QCoreApplication::arguments());

    CheckOptions options;
    switch (
        options.parse(QCoreApplication::arguments(), BundledParts::locate(QCoreApplication::applicationDirPath()))) {
    case CheckOptions::ParseResult::ShowHelp:
        out << options.helpText();
        return 0;
    case CheckOptions::ParseResult::ShowVersion:
        out << QCoreApplication::applicationName() << ' ' << QCoreApplication::applicationVersion() << '\n';
        return 0;
    case CheckOptions::ParseResult::Error:
        err << "korvu-check: " << options.parseError() << '\n';
        return ExitStatus::BadCommandLine;
    case CheckOptions::ParseResult::Run:
        break;
    }

    const QString problem = options.validate();
    if (!problem.isEmpty()) {
        err << "korvu-check: " << problem << '\n';
        return ExitStatus::BadCommandLine;
    }
    if (options.listing != CheckOptions::Listing::None)
        return ListCommand(options, out, err).exec();
    if (options.watch)
        return WatchCommand(options, out, err).exec();
    return CheckRun(options, out, err).exec();
}
