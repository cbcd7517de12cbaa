#include "checkrun.h"
#include "daemonpreflight.h"
#include "networkisolation.h"
#include "portcheck.h"
#include "runtree.h"
#include "stopsignals.h"
#include "suiterunner.h"

#include <QFileInfo>
#include <QTextStream>

namespace {

const int daemonStartTimeoutMsecs = 3000;
const QString setupTestName = QStringLiteral("korvu-check setup");

enum ExitStatus { EnvironmentProblem = 3, DaemonDoesNotStart = 4, SignalBase = 128 };

} // namespace

CheckRun::CheckRun(const CheckOptions &options, QTextStream &out, QTextStream &err)
    : m_options(options)
    , m_out(out)
    , m_err(err)
{
}

int CheckRun::exec()
{
    m_wallTime.start();
    StopSignals stopSignals;
    if (!m_options.junitFile.isEmpty()) {
        m_report = std::make_unique<JunitReport>();
        m_report->setSuiteName(QFileInfo(m_options.suite).fileName());
    }

    RunTree tree;
    tree.setKeep(m_options.keepRunTree);
    QString error;
    if (!tree.create({m_options.daemon, m_options.mocksDir, m_options.experienceDir}, &error)) {
        fail({error});
        return stopEarly(EnvironmentProblem);
    }

    const NetworkIsolation isolation = NetworkIsolation::detect();
    if (!prepareNetwork(isolation))
        return stopEarly(EnvironmentProblem);
    printHeader(isolation);

    const QProcessEnvironment environment = tree.environment(QProcessEnvironment::systemEnvironment());
    if (!daemonStarts(tree, isolation, environment)) {
        noteKeptTree(tree);
        return stopEarly(StopSignals::received() ? SignalBase + StopSignals::received() : DaemonDoesNotStart);
    }
    if (StopSignals::received())
        return stopEarly(SignalBase + StopSignals::received());

    SuiteRunner runner(
        {m_options.suite, m_options.suiteArguments, m_report.get(), tree.suiteDir(), environment, m_options.verbose},
        isolation, m_out);
    QObject::connect(&stopSignals, &StopSignals::stopRequested, &runner, &SuiteRunner::interrupt);
    int status = runner.run();
    const bool reportWritten = writeReport(&status);
    printSummary(runner, tree, reportWritten);
    return status;
}

bool CheckRun::prepareNetwork(const NetworkIsolation &isolation)
{
    if (isolation.isAvailable())
        return true;
    const quint16 port = PortCheck::firstTakenPort(PortCheck::korvuPorts());
    if (port == 0)
        return true;
    fail({PortCheck::takenPortMessage(port)});
    return false;
}

bool CheckRun::daemonStarts(const RunTree &tree, const NetworkIsolation &isolation,
                            const QProcessEnvironment &environment)
{
    // The same plug-in paths the suite gives the daemon, but a data folder of its own.
    QProcessEnvironment probeEnvironment = environment;
    probeEnvironment.insert(QStringLiteral("KORVU_PLUGINS_PATH"), tree.suiteDir() + QStringLiteral("/../../mocks/"));
    probeEnvironment.insert(QStringLiteral("KORVU_EXPERIENCE_PLUGINS_PATH"),
                            tree.suiteDir() + QStringLiteral("/../../../experience/"));
    probeEnvironment.insert(QStringLiteral("KORVU_DATA_DIR"), tree.probeDataDir());

    DaemonPreflight preflight(isolation, tree.binDir() + QStringLiteral("/korvud"), probeEnvironment, tree.suiteDir());
    const DaemonPreflight::Outcome outcome = preflight.run(daemonStartTimeoutMsecs,
                                                           [] { return StopSignals::received() != 0; });
    if (outcome == DaemonPreflight::Outcome::Listening)
        return true;
    if (outcome != DaemonPreflight::Outcome::Interrupted)
        fail(preflight.report());
    return false;
}

void CheckRun::printSummary(const SuiteRunner &runner, const RunTree &tree, bool reportWritten)
{
    QStringList notes;
    if (reportWritten)
        notes.append(QStringLiteral("JUnit report: %1").arg(m_options.junitFile));
    if (m_options.keepRunTree)
        notes.append(QStringLiteral("Run tree kept: %1").arg(tree.root()));
    const QStringList lines = runner.summary().summaryLines(m_wallTime.elapsed() / 1000.0, notes);
    for (const QString &line : lines)
        m_out << line << '\n';
    m_out.flush();
}

// A run that stops before the suite still leaves a report, so that a CI
// system never picks up the one of an earlier run.
int CheckRun::stopEarly(int status)
{
    if (m_report && m_report->tests() == 0) {
        m_report->addError(setupTestName, QStringLiteral("setup"),
                           QStringLiteral("korvu-check stopped with status %1 before the suite ran").arg(status),
                           QStringList());
    }
    writeReport(&status);
    return status;
}

// A report that was asked for but cannot be written fails an otherwise clean run.
bool CheckRun::writeReport(int *status)
{
    if (!m_report)
        return false;
    QString error;
    if (m_report->writeFile(m_options.junitFile, &error))
        return true;
    fail({QStringLiteral("cannot write the JUnit report to %1: %2").arg(m_options.junitFile, error)});
    if (*status == 0)
        *status = EnvironmentProblem;
    return false;
}

void CheckRun::noteKeptTree(const RunTree &tree)
{
    if (m_options.keepRunTree)
        m_err << QStringLiteral("Run tree kept: %1").arg(tree.root()) << '\n' << Qt::flush;
}

void CheckRun::printHeader(const NetworkIsolation &isolation)
{
    const QString network = isolation.isAvailable()
                                ? QStringLiteral("a private network namespace (%1)").arg(isolation.description())
                                : QStringLiteral("the shared network");
    m_out << QStringLiteral("korvu-check: %1 against %2, in %3").arg(m_options.suite, m_options.daemon, network)
          << '\n';
    m_out.flush();
}

void CheckRun::fail(const QStringList &lines)
{
    if (m_report && !lines.isEmpty())
        m_report->addError(setupTestName, QStringLiteral("setup"), lines.constFirst(), lines.mid(1));
    for (int i = 0; i < lines.size(); ++i)
        m_err << (i == 0 ? QStringLiteral("korvu-check: ") : QString()) << lines.at(i) << '\n';
    m_err.flush();
}
