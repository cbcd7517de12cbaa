#include "daemon.h"
#include "signalhandler.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QLoggingCategory>
#include <QRegularExpression>
#include <QStandardPaths>

#include <csignal>
#include <cstdio>
#include <sys/prctl.h>
#include <unistd.h>

namespace {

const char MessagePattern[] =
    "%{time yyyy-MM-dd hh:mm:ss.zzz} "
    "%{if-debug}D%{endif}%{if-info}I%{endif}%{if-warning}W%{endif}%{if-critical}C%{endif}%{if-fatal}F%{endif} "
    "%{category}: %{message}";

void printError(const QString &message) { std::fprintf(stderr, "korvud: %s\n", qPrintable(message)); }

// Without -d only warnings and errors are printed, Qt's own categories included.
void configureLogging(const QStringList &debugCategories)
{
    static const QRegularExpression validName(QStringLiteral("^[A-Za-z0-9_.-]+$"));
    QStringList rules{QStringLiteral("*.debug=false"), QStringLiteral("*.info=false")};
    for (const QString &category : debugCategories) {
        if (!validName.match(category).hasMatch()) {
            printError(QStringLiteral("ignoring the invalid logging category \"%1\"").arg(category));
            continue;
        }
        rules << QStringLiteral("%1.debug=true").arg(category) << QStringLiteral("%1.info=true").arg(category);
    }
    qSetMessagePattern(QString::fromLatin1(MessagePattern));
    QLoggingCategory::setFilterRules(rules.join(QLatin1Char('\n')));
}

// A test run that crashes or is killed must not leave a daemon behind holding the port.
bool dieWithParent(pid_t parentAtStart)
{
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    return ::getppid() == parentAtStart;
}

QString dataDirectory()
{
    const QString fromEnvironment = QString::fromLocal8Bit(qgetenv("KORVU_DATA_DIR"));
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

} // namespace

int main(int argc, char *argv[])
{
    const pid_t parentAtStart = ::getppid();

    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("korvud"));
    QCoreApplication::setApplicationVersion(QStringLiteral(KORVU_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Manages things through integration plug-ins and offers them over JSON-RPC on 127.0.0.1:2222."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption foregroundOption(
        QStringLiteral("n"), QStringLiteral("Stay in the foreground and die with the parent process."));
    const QCommandLineOption debugOption(QStringLiteral("d"),
                                         QStringLiteral("Print debug output of a logging category (repeatable)."),
                                         QStringLiteral("category"));
    parser.addOption(foregroundOption);
    parser.addOption(debugOption);
    parser.process(app);

    if (parser.isSet(foregroundOption) && !dieWithParent(parentAtStart))
        return 1;

    configureLogging(parser.values(debugOption));

    SignalHandler signalHandler;
    QObject::connect(&signalHandler, &SignalHandler::quitRequested, &app, &QCoreApplication::quit);

    Daemon daemon(dataDirectory());
    QString errorMessage;
    if (!daemon.start(&errorMessage)) {
        printError(errorMessage);
        return 1;
    }
    return app.exec();
}
