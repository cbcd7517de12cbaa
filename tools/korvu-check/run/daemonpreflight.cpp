#include "run/daemonpreflight.h"
#include "run/listeningsockets.h"
#include "run/runlogging.h"

#include <daemonport.h>

#include <QEventLoop>

#include <sys/stat.h>

namespace {

const int pollMsecs = 50;
const int stopMsecs = 2000;
const int reportedOutputLines = 20;
// Longer than a healthy daemon takes, even beside a full set of shards.
const int waitingNoticeMsecs = 5000;

// True only when both exist and are different files.
bool differentFiles(const QByteArray &first, const QByteArray &second)
{
    struct stat firstInfo;
    struct stat secondInfo;
    if (::stat(first.constData(), &firstInfo) != 0 || ::stat(second.constData(), &secondInfo) != 0)
        return false;
    return firstInfo.st_dev != secondInfo.st_dev || firstInfo.st_ino != secondInfo.st_ino;
}

} // namespace

DaemonPreflight::DaemonPreflight(const NetworkIsolation &isolation, const QString &daemon,
                                 const QProcessEnvironment &environment, const QString &workingDirectory,
                                 QObject *parent)
    : QObject(parent)
    , m_isolation(isolation)
    , m_daemon(daemon)
    , m_environment(environment)
    , m_workingDirectory(workingDirectory)
    , m_process(isolation)
{
    m_pollTimer.setInterval(pollMsecs);
    connect(&m_pollTimer, &QTimer::timeout, this, &DaemonPreflight::poll);
    connect(&m_process, QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished), this,
            [this] { finish(Outcome::Exited); });
    connect(&m_process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            finish(Outcome::NotStarted);
    });
}

void DaemonPreflight::start(int timeoutMsecs)
{
    m_timeoutMsecs = timeoutMsecs;
    const QStringList arguments = {QStringLiteral("-n")};
    qCDebug(dcRun) << "Start-up probe:" << m_daemon << arguments;

    m_process.setProcessChannelMode(QProcess::MergedChannels);
    m_process.setProcessEnvironment(m_environment);
    m_process.setWorkingDirectory(m_workingDirectory);
    m_process.start(m_daemon, arguments);
    // The limit counts from the start of the process, not of the request for it.
    if (!m_process.waitForStarted())
        return;
    m_elapsed.start();
    m_pollTimer.start();
}

DaemonPreflight::Outcome DaemonPreflight::wait()
{
    if (m_outcome == Outcome::Running) {
        QEventLoop loop;
        connect(this, &DaemonPreflight::finished, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return m_outcome;
}

DaemonPreflight::Outcome DaemonPreflight::outcome() const { return m_outcome; }

void DaemonPreflight::interrupt() { finish(Outcome::Interrupted); }

void DaemonPreflight::poll()
{
    collectOutput();
    if (isListening())
        finish(Outcome::Listening);
    else if (m_elapsed.elapsed() >= m_timeoutMsecs)
        finish(m_listeningElsewhere && m_listeningElsewhere() ? Outcome::Listening : Outcome::NotListening);
    else if (!m_toldWaiting && m_elapsed.elapsed() >= waitingNoticeMsecs) {
        m_toldWaiting = true;
        emit stillWaiting(waitingNoticeMsecs, m_timeoutMsecs - waitingNoticeMsecs);
    }
}

void DaemonPreflight::finish(Outcome outcome)
{
    if (m_outcome != Outcome::Running)
        return;
    m_outcome = outcome;
    m_pollTimer.stop();
    stop();
    emit finished(m_outcome);
}

QStringList DaemonPreflight::report() const
{
    QString headline;
    switch (m_outcome) {
    case Outcome::NotStarted:
        return {QStringLiteral("korvud could not be started: %1").arg(m_process.errorString())};
    case Outcome::Exited:
        headline = m_process.exitStatus() == QProcess::CrashExit
                       ? QStringLiteral("korvud died at start-up of signal %1; its last output:")
                       : QStringLiteral("korvud exited at start-up with status %1; its last output:");
        headline = headline.arg(m_process.exitCode());
        break;
    case Outcome::NotListening:
        headline = QStringLiteral("korvud did not accept connections on 127.0.0.1:%1 within %2 s; its last output:")
                       .arg(daemonPort)
                       .arg(m_timeoutMsecs / 1000.0);
        break;
    case Outcome::Running:
    case Outcome::Listening:
    case Outcome::Interrupted:
        return {};
    }
    QStringList lines = {headline};
    const QStringList output = lastOutputLines();
    for (const QString &line : output)
        lines.append(QStringLiteral("  ") + line);
    return lines;
}

void DaemonPreflight::setListeningElsewhere(const std::function<bool()> &listeningElsewhere)
{
    m_listeningElsewhere = listeningElsewhere;
}

bool DaemonPreflight::isListening() const
{
    // Until the child has entered its namespace, /proc shows the machine's own sockets.
    if (m_isolation.isAvailable() && !isInOwnNamespace())
        return false;
    return ListeningSockets::inNamespaceOf(m_process.processId());
}

bool DaemonPreflight::isInOwnNamespace() const
{
    const QByteArray own = "/proc/" + QByteArray::number(m_process.processId()) + "/ns/net";
    return differentFiles(own, QByteArrayLiteral("/proc/self/ns/net"));
}

void DaemonPreflight::collectOutput() { m_output += m_process.readAll(); }

void DaemonPreflight::stop()
{
    if (m_process.state() != QProcess::NotRunning) {
        // Its end is no outcome of its own any more.
        m_process.disconnect(this);
        m_process.kill();
        m_process.waitForFinished(stopMsecs);
    }
    collectOutput();
}

QStringList DaemonPreflight::lastOutputLines() const
{
    QStringList lines = QString::fromUtf8(m_output).trimmed().split(QLatin1Char('\n'));
    if (lines.size() == 1 && lines.constFirst().isEmpty())
        return {QStringLiteral("(no output)")};
    if (lines.size() > reportedOutputLines)
        lines = lines.mid(lines.size() - reportedOutputLines);
    return lines;
}
