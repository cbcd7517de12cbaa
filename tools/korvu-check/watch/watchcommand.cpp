#include "watch/watchcommand.h"
#include "commandline/exitstatus.h"
#include "reports/lastfailedrecord.h"
#include "run/checkrun.h"
#include "run/stopsignals.h"
#include "watch/partswatcher.h"
#include "watch/runcomparison.h"

#include <QEventLoop>
#include <QTextStream>

#include <memory>

WatchCommand::WatchCommand(const CheckOptions &options, QTextStream &out, QTextStream &err)
    : m_options(options)
    , m_out(out)
    , m_err(err)
{
}

int WatchCommand::exec()
{
    // Spans the runs, so that a signal between them ends the watch too.
    StopSignals stopSignals;
    // A part is in place when a check would start with it.
    PartsWatcher watcher(
        {m_options.daemon, m_options.mocksDir, m_options.experienceDir, m_options.suite},
        [options = m_options]() mutable { return options.validate(); }, PartsWatcher::Timing());
    QEventLoop idle;
    QStringList changedParts;
    QObject::connect(&stopSignals, &StopSignals::stopRequested, &idle, &QEventLoop::quit);
    QObject::connect(&watcher, &PartsWatcher::changed, [&](const QStringList &paths) {
        changedParts = paths;
        idle.quit();
    });
    QObject::connect(&watcher, &PartsWatcher::waiting, [this](const QString &problem) {
        print(QStringLiteral("korvu-check: waiting until the parts are in place: %1").arg(problem));
    });

    CheckOptions runOptions = m_options;
    runOptions.lastFailed = false;
    const QStringList lastFailed = m_options.lastFailed ? recordedFailures() : QStringList();
    if (m_options.lastFailed && lastFailed.isEmpty())
        return 0;

    int status = 0;
    while (!StopSignals::received()) {
        changedParts.clear();
        CheckRun run(runOptions, m_out, m_err);
        if (m_options.lastFailed)
            run.keepOnly(lastFailed);
        const int runStatus = run.exec();
        if (StopSignals::received())
            break;
        // What the command line asks for cannot work, however the parts change.
        if (runStatus == ExitStatus::BadCommandLine)
            return runStatus;
        status = judgeRun(run.results(), runStatus, !changedParts.isEmpty() || !watcher.isCurrent(), status);
        if (changedParts.isEmpty()) {
            print(QStringLiteral("korvu-check: watching the daemon, the plug-in folders and the suite; Ctrl-C "
                                 "ends"));
            idle.exec();
        }
        if (!changedParts.isEmpty())
            print(QStringLiteral("korvu-check: changed: %1").arg(changedParts.join(QStringLiteral(", "))));
    }
    if (!m_previous) {
        print(QStringLiteral("korvu-check: stopped before a run completed"));
        return ExitStatus::SignalBase + StopSignals::received();
    }
    // The stopped run's summary may show failures this status does not count.
    print(QStringLiteral("korvu-check: stopped; the exit status is the last completed run's, %1").arg(status));
    return status;
}

QStringList WatchCommand::recordedFailures()
{
    QStringList notices;
    const QStringList rows = LastFailedRecord::selectionFor(m_options.daemon, &notices);
    for (const QString &line : qAsConst(notices))
        print(line);
    return rows;
}

int WatchCommand::judgeRun(const RunResults &results, int runStatus, bool partsChanged, int status)
{
    // A daemon rewritten while the suite restarts it fails rows of a
    // correct build: such a run is not the news.
    if (partsChanged) {
        print(QStringLiteral("korvu-check: parts changed during this run, so it is not compared; the check "
                             "runs again once they are in place"));
        return status;
    }
    if (runStatus == ExitStatus::DaemonDoesNotStart) {
        // What its suites reported while they were being stopped is no
        // news; the next run is compared with the last one that ran.
        print(QStringLiteral("korvu-check: korvud did not come up, so this run is not compared"));
        return runStatus;
    }
    bool comparable = true;
    if (m_previous) {
        const RunComparison comparison(*m_previous, results);
        print(QStringLiteral("korvu-check: ") + comparison.text());
        comparable = comparison.anyRowRan();
    }
    // After a build whose daemon never came up, the news is what changed
    // since the last build that ran.
    if (comparable)
        m_previous = std::make_unique<RunResults>(results);
    return runStatus;
}

void WatchCommand::print(const QString &line)
{
    m_err.flush();
    m_out << line << '\n' << Qt::flush;
}
