// A scripted stand-in for korvud, used only by the suite's self-tests: a small
// model of the daemon contract that misbehaves as the scenario in
// KORVU_SCENARIO says, and records what it receives in KORVU_REQUEST_LOG.

#include "scenario.h"
#include "scripteddaemon.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QStandardPaths>
#include <QTextStream>

#include <csignal>
#include <sys/prctl.h>

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    application.setApplicationName(QStringLiteral("korvud"));

    // The real daemon's command line, accepted and ignored.
    QCommandLineParser parser;
    parser.addOption({QStringLiteral("n"), QStringLiteral("Stay in the foreground.")});
    parser.addOption({QStringLiteral("d"), QStringLiteral("Debug output of a category."), QStringLiteral("category")});
    parser.process(application);

    // Never outlive the suite that started us, whatever happens to it.
    prctl(PR_SET_PDEATHSIG, SIGKILL);

    QString error;
    const Scenario scenario = Scenario::fromEnvironment(&error);
    if (!error.isEmpty()) {
        QTextStream(stderr) << "korvud (scripted): " << error << '\n';
        return 1;
    }
    QString dataDirectory = qEnvironmentVariable("KORVU_DATA_DIR");
    if (dataDirectory.isEmpty())
        dataDirectory = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);

    ScriptedDaemon daemon(scenario, dataDirectory);
    if (!daemon.start(&error)) {
        QTextStream(stderr) << "korvud (scripted): " << error << '\n';
        return 1;
    }
    return application.exec();
}
