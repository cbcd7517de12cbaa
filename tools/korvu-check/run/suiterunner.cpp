#include "run/suiterunner.h"
#include "commandline/exitstatus.h"
#include "run/runlogging.h"
#include "run/testinprogress.h"

#include <QFileInfo>
#include <QTimer>

#include <csignal>
#include <cstring>

namespace {

const int rememberedOutputLines = 20;
const int plainOutputLimit = 1024 * 1024;
const int terminateGraceMsecs = 2000;
// How often --timeout is checked: a stop comes at most this much late.
const int timeoutCheckMsecs = 200;

} // namespace

SuiteRunner::SuiteRunner(const Setup &setup, const NetworkIsolation &isolation, QObject *parent)
    : PoolJob(parent)
    , m_setup(setup)
    , m_process(isolation)
{
    m_reader.setVerdictHandler([this](const TestVerdict &verdict) {
        // Once the run stopped it, what the dying suite still logs, such as
        // a failure for the signal, is no verdict on the daemon.
        if (m_timedOut || m_stoppedUnneeded)
            return;
        // initTestCase starts the daemon and waits until it listens.
        if (m_setup.startUpIncludesDaemon && verdict.function == QLatin1String("initTestCase") && verdict.endsTest())
            noteStartedUp();
        emit verdictRead(verdict);
    });
    m_reader.setMessageHandler([this](const TestMessage &message) {
        const QString line = message.logLine(m_reader.testClass());
        remember(line);
        emit outputLine(line);
        if (!message.function.isEmpty())
            emit lineLogged(TestVerdict::testName(message.function, message.row), line);
        // The suite logs each line of the daemon's output as a debug message.
        if (message.type == TestMessage::Type::Debug) {
            const QStringList lines = message.text.split(QLatin1Char('\n'));
            for (const QString &text : lines)
                m_scanner.addLine(message.function, message.row, text);
        }
    });
    m_scanner.setFindingHandler([this](const DaemonFinding &finding) { emit findingMade(finding); });
    m_timeoutCheck.setInterval(timeoutCheckMsecs);
    connect(&m_timeoutCheck, &QTimer::timeout, this, &SuiteRunner::checkTimeout);
    connect(&m_process, &QProcess::readyReadStandardOutput, this, &SuiteRunner::readOutput);
    connect(&m_process, &QProcess::readyReadStandardError, this, &SuiteRunner::readErrors);
    connect(&m_process, QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished), this, &SuiteRunner::onFinished);
    connect(&m_process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            onFinished();
    });
}

void SuiteRunner::start()
{
    const QStringList arguments = QStringList{QStringLiteral("-o"), QStringLiteral("-,xml")} + m_setup.arguments;
    qCDebug(dcRun) << "Suite:" << m_setup.suite << arguments << "in" << m_setup.workingDirectory;

    m_process.setProcessEnvironment(m_setup.environment);
    m_process.setWorkingDirectory(m_setup.workingDirectory);
    m_startTime = QDateTime::currentDateTime();
    m_timer.start();
    m_process.start(m_setup.suite, arguments);
    if (m_setup.testTimeoutSecs > 0)
        m_timeoutCheck.start();
}

int SuiteRunner::exitStatus() const { return m_exitStatus; }

bool SuiteRunner::hasBreak() const { return m_hasBreak; }

RunResults::BrokenOffProcess SuiteRunner::suiteBreak() const { return m_break; }

QString SuiteRunner::testClass() const { return m_reader.testClass(); }

QDateTime SuiteRunner::startTime() const { return m_startTime; }

qint64 SuiteRunner::processId() const { return m_process.processId(); }

QStringList SuiteRunner::plainOutput() const
{
    if (!m_reader.testClass().isEmpty())
        return {};
    QStringList lines = QString::fromUtf8(m_plainOutput).split(QLatin1Char('\n'));
    if (lines.constLast().isEmpty())
        lines.removeLast();
    return lines;
}

QString SuiteRunner::timedOutTest() const { return m_timedOutTest; }

bool SuiteRunner::timedOut() const { return m_timedOut; }

void SuiteRunner::interrupt(int signalNumber)
{
    if (m_process.state() == QProcess::NotRunning || m_stopSignal != 0)
        return;
    m_stopSignal = signalNumber;
    stopGroup();
}

void SuiteRunner::stopUnneeded()
{
    if (m_process.state() == QProcess::NotRunning || m_stopSignal != 0 || m_stoppedUnneeded)
        return;
    m_stoppedUnneeded = true;
    stopGroup();
}

// The suite, its daemon and whatever else they started, as Ctrl-C stops them.
void SuiteRunner::stopGroup()
{
    m_timeoutCheck.stop();
    m_process.signalGroup(SIGTERM);
    QTimer::singleShot(terminateGraceMsecs, &m_process, [this] {
        if (m_process.state() != QProcess::NotRunning)
            m_process.signalGroup(SIGKILL);
    });
}

// A row timed out fails as a row, with the traffic the trace holds of it;
// only a hang outside any row the log or plan can name is a break.
void SuiteRunner::checkTimeout()
{
    if (m_process.state() != QProcess::Running || m_stopSignal != 0 || m_stoppedUnneeded || m_timedOut)
        return;
    readOutput();
    const qint64 runningMsecs = m_timer.elapsed() - m_reader.lastTestEndMsecs();
    if (runningMsecs <= m_setup.testTimeoutSecs * 1000LL)
        return;
    m_timedOut = true;
    m_timedOutTest = TestInProgress::name(m_setup.plannedTestNames, m_reader.lastTestName(), m_reader.lastTestEnded());
    qCDebug(dcRun) << "Timed out after" << runningMsecs / 1000.0 << "s:" << m_timedOutTest;
    if (!m_timedOutTest.isEmpty())
        emit verdictRead(TestInProgress::failed(m_timedOutTest, timeoutMessage(), runningMsecs / 1000.0));
    stopGroup();
}

QString SuiteRunner::timeoutMessage() const
{
    return QStringLiteral("timed out after %1 s").arg(m_setup.testTimeoutSecs);
}

void SuiteRunner::readOutput()
{
    const QByteArray data = m_process.readAllStandardOutput();
    if (m_reader.testClass().isEmpty() && m_plainOutput.size() < plainOutputLimit)
        m_plainOutput += data;
    // The suite writes its log only once it has started.
    if (!m_setup.startUpIncludesDaemon && !data.isEmpty())
        noteStartedUp();
    m_reader.addData(data, m_timer.elapsed());
}

void SuiteRunner::noteStartedUp()
{
    if (m_startedUp)
        return;
    m_startedUp = true;
    emit startedUp();
}

void SuiteRunner::readErrors()
{
    m_errorBuffer += m_process.readAllStandardError();
    takeErrorLines(false);
}

// Hands on the complete lines of standard error; all: the partial last one too.
void SuiteRunner::takeErrorLines(bool all)
{
    int start = 0;
    for (int end = m_errorBuffer.indexOf('\n'); end >= 0; end = m_errorBuffer.indexOf('\n', start)) {
        const QString line = QString::fromUtf8(m_errorBuffer.mid(start, end - start));
        start = end + 1;
        remember(line);
        emit outputLine(line);
    }
    m_errorBuffer.remove(0, start);
    if (all && !m_errorBuffer.isEmpty()) {
        const QString line = QString::fromUtf8(m_errorBuffer);
        m_errorBuffer.clear();
        remember(line);
        emit outputLine(line);
    }
}

void SuiteRunner::remember(const QString &line)
{
    m_lastOutput.append(line);
    if (m_lastOutput.size() > rememberedOutputLines)
        m_lastOutput.removeFirst();
}

void SuiteRunner::onFinished()
{
    if (m_finished)
        return;
    m_timeoutCheck.stop();
    qCDebug(dcRun) << "Suite ended after" << m_timer.elapsed() / 1000.0 << "s:" << m_setup.arguments;
    if (m_process.error() == QProcess::FailedToStart) {
        setBreak(QStringLiteral("start"), QStringLiteral("%1 could not be started").arg(suiteName()),
                 {m_process.errorString()});
        m_exitStatus = 1;
        m_finished = true;
        emit finished();
        return;
    }
    // A daemon the suite did not stop, say because the suite died, would
    // keep its namespace and ports.
    m_process.signalGroup(SIGKILL);
    readOutput();
    m_scanner.finish();
    m_errorBuffer += m_process.readAllStandardError();
    takeErrorLines(true);

    QString during;
    if (!m_reader.lastTestName().isEmpty()) {
        during = m_reader.lastTestEnded() ? QStringLiteral(" after %1") : QStringLiteral(" during %1");
        during = during.arg(m_reader.lastTestName());
    }
    if (m_stoppedUnneeded || (m_timedOut && !m_timedOutTest.isEmpty())) {
        // Its own ending is no fault of the suite's: the rows tell what happened.
        m_exitStatus = 0;
    } else if (m_timedOut) {
        setBreak(QStringLiteral("timeout"), timeoutMessage() + during, m_lastOutput);
        m_exitStatus = 0;
    } else if (m_stopSignal != 0) {
        setBreak(QStringLiteral("interrupted"),
                 QStringLiteral("stopped by signal %1 (%2)%3")
                     .arg(m_stopSignal)
                     .arg(QString::fromLocal8Bit(::strsignal(m_stopSignal)), during),
                 QStringList());
        m_exitStatus = ExitStatus::SignalBase + m_stopSignal;
    } else if (m_process.exitStatus() == QProcess::CrashExit) {
        setBreak(QStringLiteral("crash"),
                 QStringLiteral("%1 died of signal %2%3").arg(suiteName()).arg(m_process.exitCode()).arg(during),
                 m_lastOutput);
        m_exitStatus = ExitStatus::SignalBase + m_process.exitCode();
    } else {
        m_exitStatus = m_process.exitCode();
        if (!m_reader.isComplete() && m_exitStatus != 0) {
            setBreak(QStringLiteral("incomplete"),
                     QStringLiteral("%1 ended with status %2 without results").arg(suiteName()).arg(m_exitStatus),
                     m_lastOutput);
        }
    }
    m_finished = true;
    emit finished();
}

void SuiteRunner::setBreak(const QString &type, const QString &description, const QStringList &lastOutput)
{
    m_hasBreak = true;
    const bool inTest = !m_reader.lastTestName().isEmpty() && !m_reader.lastTestEnded();
    m_break = {type,
               description,
               inTest ? m_reader.lastTestName() : QString(),
               (m_timer.elapsed() - m_reader.lastTestEndMsecs()) / 1000.0,
               lastOutput,
               {}};
}

QString SuiteRunner::suiteName() const { return QFileInfo(m_setup.suite).fileName(); }
