#include "suiterunner.h"
#include "checklogging.h"
#include "junitreport.h"

#include <QDateTime>
#include <QEventLoop>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTextStream>
#include <QTimer>

#include <cstring>

namespace {

const int rememberedOutputLines = 20;
const int terminateGraceMsecs = 2000;
const int signalStatusBase = 128;
const QRegularExpression enteringPattern(QStringLiteral("^INFO   : .*\\) entering$"));
const QStringList verbosityOptions = {QStringLiteral("-v1"), QStringLiteral("-v2")};

// Takes the complete lines out of buffer, leaving a partial last line in it.
QStringList takeLines(QByteArray *buffer, bool all)
{
    QStringList lines;
    int start = 0;
    for (int end = buffer->indexOf('\n'); end >= 0; end = buffer->indexOf('\n', start)) {
        lines.append(QString::fromUtf8(buffer->mid(start, end - start)));
        start = end + 1;
    }
    buffer->remove(0, start);
    if (all && !buffer->isEmpty()) {
        lines.append(QString::fromUtf8(*buffer));
        buffer->clear();
    }
    for (QString &line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    }
    return lines;
}

} // namespace

SuiteRunner::SuiteRunner(const Setup &setup, const NetworkIsolation &isolation, QTextStream &out, QObject *parent)
    : QObject(parent)
    , m_setup(setup)
    , m_isolation(isolation)
    , m_out(out)
{
    for (const QString &argument : setup.arguments)
        m_callerChoseVerbosity = m_callerChoseVerbosity || verbosityOptions.contains(argument);
    connect(&m_process, &QProcess::readyReadStandardOutput, this, &SuiteRunner::readOutput);
    connect(&m_process, &QProcess::readyReadStandardError, this, &SuiteRunner::readErrors);
}

int SuiteRunner::run()
{
    QString program = m_setup.suite;
    QStringList arguments = suiteArguments();
    m_isolation.wrap(&program, &arguments);
    qCDebug(dcCheck) << "Suite:" << program << arguments << "in" << m_setup.workingDirectory;

    m_process.setProcessEnvironment(m_setup.environment);
    m_process.setWorkingDirectory(m_setup.workingDirectory);
    QEventLoop loop;
    connect(&m_process, QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished), &loop, &QEventLoop::quit);
    connect(&m_process, &QProcess::errorOccurred, &loop, [&loop](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            loop.quit();
    });
    if (m_setup.report)
        m_setup.report->setStartTime(QDateTime::currentDateTime());
    m_timer.start();
    m_process.start(program, arguments);
    // A start that fails at once has already reported it.
    if (m_process.state() != QProcess::NotRunning)
        loop.exec();

    if (m_process.error() == QProcess::FailedToStart) {
        reportAbnormalEnd(QStringLiteral("start"), QStringLiteral("%1 could not be started").arg(suiteName()),
                          {m_process.errorString()});
        return 1;
    }
    finishOutput();
    const int status = exitStatus();
    if (m_setup.report) {
        m_setup.report->setSeconds(m_timer.elapsed() / 1000.0);
        if (!m_parser.testClass().isEmpty())
            m_setup.report->setSuiteName(m_parser.testClass());
    }
    return status;
}

const RunSummary &SuiteRunner::summary() const { return m_summary; }

void SuiteRunner::interrupt(int signalNumber)
{
    if (m_process.state() == QProcess::NotRunning || m_stopSignal != 0)
        return;
    m_stopSignal = signalNumber;
    m_process.terminate();
    QTimer::singleShot(terminateGraceMsecs, &m_process, &QProcess::kill);
}

QStringList SuiteRunner::suiteArguments() const
{
    // -v1 names each function as it starts, so a crash can be placed; the
    // caller's own verbosity options come later and win.
    const QStringList arguments = {QStringLiteral("-o"), QStringLiteral("-,txt"), QStringLiteral("-v1")};
    return arguments + m_setup.arguments;
}

void SuiteRunner::readOutput()
{
    m_outputBuffer += m_process.readAllStandardOutput();
    const QStringList lines = takeLines(&m_outputBuffer, false);
    for (const QString &line : lines)
        handleLine(line);
}

void SuiteRunner::readErrors()
{
    m_errorBuffer += m_process.readAllStandardError();
    const QStringList lines = takeLines(&m_errorBuffer, false);
    for (const QString &line : lines) {
        record(line);
        remember(line);
        if (m_setup.verbose)
            print(line);
    }
}

void SuiteRunner::handleLine(const QString &line)
{
    record(line);
    const TxtLogParser::LineKind kind = m_parser.addLine(line, m_timer.elapsed());
    printVerdicts(m_parser.takeCompleted());
    if (kind != TxtLogParser::LineKind::Other)
        return;
    if (isOwnEnteringLine(line))
        return;
    remember(line);
    if (m_setup.verbose)
        print(line);
}

bool SuiteRunner::isOwnEnteringLine(const QString &line) const
{
    return !m_callerChoseVerbosity && enteringPattern.match(line).hasMatch();
}

void SuiteRunner::printVerdicts(const QVector<TestVerdict> &verdicts)
{
    for (const TestVerdict &verdict : verdicts) {
        m_summary.addVerdict(verdict);
        if (m_setup.report)
            m_setup.report->addVerdict(verdict);
        const QStringList lines = RunSummary::progressLines(verdict);
        for (const QString &line : lines)
            print(line);
    }
}

void SuiteRunner::remember(const QString &line)
{
    m_lastOutput.append(line);
    if (m_lastOutput.size() > rememberedOutputLines)
        m_lastOutput.removeFirst();
}

void SuiteRunner::record(const QString &line)
{
    if (m_setup.report)
        m_setup.report->addOutputLine(line);
}

void SuiteRunner::reportAbnormalEnd(const QString &type, const QString &description, const QStringList &lastOutput)
{
    m_summary.addAbnormalEnd(description, lastOutput);
    if (!m_setup.report)
        return;
    const bool inTest = !m_parser.lastTestName().isEmpty() && !m_parser.lastTestEnded();
    m_setup.report->addError(inTest ? m_parser.lastTestName() : suiteName(), type, description, lastOutput,
                             (m_timer.elapsed() - m_parser.lastTestEndMsecs()) / 1000.0);
}

void SuiteRunner::finishOutput()
{
    m_outputBuffer += m_process.readAllStandardOutput();
    const QStringList lines = takeLines(&m_outputBuffer, true);
    for (const QString &line : lines)
        handleLine(line);
    m_errorBuffer += m_process.readAllStandardError();
    const QStringList errorLines = takeLines(&m_errorBuffer, true);
    for (const QString &line : errorLines) {
        record(line);
        remember(line);
    }
    m_parser.finish();
    printVerdicts(m_parser.takeCompleted());
}

int SuiteRunner::exitStatus()
{
    QString during;
    if (!m_parser.lastTestName().isEmpty()) {
        during = m_parser.lastTestEnded() ? QStringLiteral(" after %1") : QStringLiteral(" during %1");
        during = during.arg(m_parser.lastTestName());
    }
    if (m_stopSignal != 0) {
        reportAbnormalEnd(QStringLiteral("interrupted"),
                          QStringLiteral("stopped by signal %1 (%2)%3")
                              .arg(m_stopSignal)
                              .arg(QString::fromLocal8Bit(::strsignal(m_stopSignal)), during),
                          QStringList());
        return signalStatusBase + m_stopSignal;
    }
    if (m_process.exitStatus() == QProcess::CrashExit) {
        reportAbnormalEnd(
            QStringLiteral("crash"),
            QStringLiteral("%1 died of signal %2%3").arg(suiteName()).arg(m_process.exitCode()).arg(during),
            m_lastOutput);
        return signalStatusBase + m_process.exitCode();
    }
    const int status = m_process.exitCode();
    if (!m_parser.sawTotals() && status != 0) {
        reportAbnormalEnd(QStringLiteral("incomplete"),
                          QStringLiteral("%1 ended with status %2 without results").arg(suiteName()).arg(status),
                          m_lastOutput);
    } else if (!m_parser.sawTotals() && !m_setup.verbose) {
        // Listings such as -functions or -datatags: show what the suite said.
        for (const QString &line : qAsConst(m_lastOutput))
            print(line);
    }
    return status;
}

QString SuiteRunner::suiteName() const { return QFileInfo(m_setup.suite).fileName(); }

void SuiteRunner::print(const QString &line)
{
    m_out << line << '\n';
    m_out.flush();
}
