#include "run/checkrun.h"
#include "commandline/exitstatus.h"
#include "reports/console/progressreport.h"
#include "reports/lastfailedrecord.h"
#include "run/isolation/portcheck.h"
#include "run/qtmajorcheck.h"
#include "run/stopsignals.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSysInfo>

CheckRun::CheckRun(const CheckOptions &options, QTextStream &out, QTextStream &err)
    : m_options(options)
    , m_root(QDir::tempPath() + QStringLiteral("/korvu-check-XXXXXX"))
    , m_planner(options, m_root.path())
    , m_dispatcher(options, m_isolation, m_planner, m_recorder)
{
    m_recorder.reporters().add(std::make_unique<ProgressReport>(out, err, options.verbose));
}

CheckRun::~CheckRun() = default;

int CheckRun::exec()
{
    m_wallTime.start();
    StopSignals stopSignals;
    m_recorder.results().setSuiteFile(QFileInfo(m_options.suite).fileName());
    if (!m_root.isValid()) {
        m_recorder.setupError({QStringLiteral("cannot create a temporary run tree: %1").arg(m_root.errorString())});
        return stopEarly(ExitStatus::EnvironmentProblem);
    }
    m_root.setAutoRemove(!m_options.keepRunTree);

    m_isolation = NetworkIsolation::detect();
    recordEnvironment();
    if (m_options.lastFailed && !selectLastFailed()) {
        writeReports(true);
        return exitStatus();
    }
    const QtMajorCheck qtMajors = QtMajorCheck::read(m_options.daemon, m_options.mocksDir, m_options.experienceDir,
                                                     m_options.wrapCommand);
    if (m_options.verbose && !qtMajors.skipReason().isEmpty())
        m_recorder.reporters().tell(&Reporter::plainOutput,
                                    QStringList{QStringLiteral("korvu-check: ") + qtMajors.skipReason()});
    if (!qtMajors.refusal().isEmpty()) {
        m_recorder.setupError({qtMajors.refusal()});
        return stopEarly(ExitStatus::BadCommandLine);
    }
    if (!prepareNetwork())
        return stopEarly(ExitStatus::EnvironmentProblem);
    JobPlanner::Failure failure;
    if (!m_planner.plan(&m_dispatcher.jobs(), &m_recorder.results(), &failure)) {
        m_recorder.setupError(failure.lines);
        return stopEarly(failure.status);
    }
    if (m_dispatcher.jobs().empty()) {
        m_recorder.reporters().tell(&Reporter::nothingToRun, m_recorder.results());
        writeReports(true);
        return exitStatus();
    }
    QString error;
    if (!m_planner.createTrees(&m_dispatcher.jobs(), &error)) {
        m_recorder.setupError({error});
        return stopEarly(ExitStatus::EnvironmentProblem);
    }
    QObject::connect(&stopSignals, &StopSignals::stopRequested,
                     [this](int signalNumber) { m_dispatcher.interrupt(signalNumber); });
    return runPlanned();
}

const RunResults &CheckRun::results() const { return m_recorder.results(); }

bool CheckRun::selectLastFailed()
{
    QStringList notices;
    const QStringList words = LastFailedRecord::selectionFor(m_options.daemon, &notices);
    if (!notices.isEmpty())
        m_recorder.reporters().tell(&Reporter::plainOutput, notices);
    keepOnly(words);
    return !words.isEmpty();
}

void CheckRun::keepOnly(const QStringList &words) { m_planner.keepOnly(words); }

// A run stopped half-way still tells which of the rows it ran failed.
void CheckRun::updateLastFailed()
{
    // An unreadable record is replaced by what this run knows.
    QString unreadable;
    LastFailedRecord record = LastFailedRecord::read(m_options.daemon, &unreadable);
    QString error;
    record.update(m_recorder.results(), m_planner.selections());
    if (!record.write(&error)) {
        m_recorder.reporters().tell(&Reporter::plainOutput,
                                    QStringList{QStringLiteral("korvu-check: warning: --last-failed will not know "
                                                               "this run's failures: ")
                                                + error});
    }
}

bool CheckRun::prepareNetwork()
{
    if (m_isolation.isAvailable())
        return true;
    const quint16 port = PortCheck::firstTakenPort(PortCheck::korvuPorts());
    if (port == 0)
        return true;
    m_recorder.setupError({PortCheck::takenPortMessage(port)});
    return false;
}

int CheckRun::runPlanned()
{
    const int requestedParallel = m_planner.requestedParallel();
    const int parallel = m_isolation.isAvailable() ? requestedParallel : 1;
    m_recorder.reporters().tell(&Reporter::runStarting, m_recorder.results(), parallel, requestedParallel);
    if (!m_dispatcher.run(parallel)) {
        m_recorder.setupError(m_dispatcher.probeReport());
        Reporter::KeptFiles kept;
        kept.runTree = keptFiles().runTree;
        return stopEarly(ExitStatus::DaemonDoesNotStart, kept);
    }
    recordSuite();
    updateLastFailed();
    Reporter::KeptFiles kept = keptFiles();
    kept.reports = writeReports(true);
    m_recorder.reporters().tell(&Reporter::runEnded, m_recorder.results(), kept);
    return exitStatus();
}

int CheckRun::exitStatus() const
{
    ExitStatus::Facts facts;
    facts.stopSignal = StopSignals::received();
    facts.failures = m_recorder.results().failureStatus();
    m_dispatcher.exitStatuses().addTo(&facts);
    facts.findings = !m_recorder.results().findings().isEmpty();
    facts.reportMissing = m_reportMissing;
    return ExitStatus::of(facts);
}

Reporter::KeptFiles CheckRun::keptFiles() const
{
    Reporter::KeptFiles kept;
    kept.tracesDir = m_options.keepTracesDir;
    if (m_options.keepRunTree)
        kept.runTree = m_root.path();
    return kept;
}

int CheckRun::stopEarly(int status, const Reporter::KeptFiles &kept)
{
    m_recorder.reporters().tell(&Reporter::runStopped, m_recorder.results(), kept);
    if (m_recorder.results().setupErrors().isEmpty()) {
        m_recorder.results().addSetupError(
            QStringLiteral("korvu-check stopped with status %1 before the suite ran").arg(status), QStringList());
    }
    writeReports(false);
    return status;
}

void CheckRun::recordEnvironment()
{
    RunResults::Environment environment;
    environment.runId = m_options.runId;
    environment.toolVersion = QCoreApplication::applicationVersion();
    environment.daemon = m_options.daemon;
    environment.suite = m_options.suite;
    environment.mocksDir = m_options.mocksDir;
    environment.experienceDir = m_options.experienceDir;
    environment.qtVersion = QString::fromLatin1(qVersion());
    environment.isolation = isolationDescription();
    environment.wrapCommand = m_options.wrapCommand;
    environment.hostName = QSysInfo::machineHostName();
    environment.osPlatform = QSysInfo::kernelType();
    environment.osVersion = QSysInfo::prettyProductName();
    environment.sliceIndex = m_options.sliceIndex;
    environment.sliceCount = m_options.sliceCount;
    environment.repeat = m_options.repeat;
    environment.retries = m_options.retries;
    environment.failOnFlaky = m_options.failOnFlaky;
    m_recorder.results().setEnvironment(environment);
    m_buildHashes.start(m_options.daemon, m_options.suite);
}

QString CheckRun::isolationDescription() const
{
    return m_isolation.isAvailable() ? QStringLiteral("a private network namespace (%1)").arg(m_isolation.description())
                                     : QStringLiteral("the shared network");
}

void CheckRun::recordSuite()
{
    const std::deque<SuiteJob> &jobs = m_dispatcher.jobs();
    for (const SuiteJob &job : jobs) {
        if (job.runner && !job.runner->testClass().isEmpty()) {
            m_recorder.results().setSuiteName(job.runner->testClass());
            break;
        }
    }
    if (!jobs.empty() && jobs.front().runner)
        m_recorder.results().setStartTime(jobs.front().runner->startTime());
}

QStringList CheckRun::writeReports(bool withSuiteResults)
{
    RunResults &results = m_recorder.results();
    m_buildHashes.recordInto(&results);
    results.setSeconds(m_wallTime.elapsed() / 1000.0);
    results.setStopTime(QDateTime::currentDateTime());
    QStringList errors;
    const QStringList written = m_options.reports.write(withSuiteResults ? results : results.withoutSuiteResults(),
                                                        &errors);
    for (const QString &error : qAsConst(errors))
        m_recorder.setupError({error});
    m_reportMissing = m_reportMissing || !errors.isEmpty();
    return written;
}
