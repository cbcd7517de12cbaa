#include "suiterun.h"
#include "run/isolation/isolatedprocess.h"

#include "collect/trafficlog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTimer>

SuiteRun::SuiteRun(const Setup &setup, const QString &scenario, const QStringList &suiteArguments, int timeoutMs,
                   QObject *parent)
    : PoolJob(parent)
    , m_setup(setup)
    , m_scenario(scenario)
    , m_suiteArguments(suiteArguments)
    , m_timeoutMs(timeoutMs)
    , m_directory(QDir::temp().filePath(QStringLiteral("korvu-selftest-XXXXXX")))
    , m_process(new IsolatedProcess(m_setup.isolation, this))
    , m_timer(new QTimer(this))
{
    m_timer->setSingleShot(true);
    connect(m_timer, &QTimer::timeout, this, &SuiteRun::onTimeout);
    connect(m_process, QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished), this, &SuiteRun::onFinished);
    connect(m_process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) {
            m_error = QStringLiteral("cannot start %1: %2").arg(m_process->program(), m_process->errorString());
            emit finished();
        }
    });
}

void SuiteRun::traceTraffic() { m_traced = true; }

void SuiteRun::start()
{
    QDir().mkpath(filePath(QStringLiteral("data")));
    m_process->setProcessEnvironment(environment());
    m_process->setWorkingDirectory(QFileInfo(m_setup.suiteBinary).absolutePath());
    m_process->setProcessChannelMode(QProcess::MergedChannels);
    m_process->setStandardOutputFile(filePath(QStringLiteral("console.txt")));
    // The process enters a network namespace of its own, whose fixed ports
    // the daemon the suite starts owns alone.
    const QString program = m_setup.suiteBinary;
    QStringList arguments = {QStringLiteral("-o"), filePath(QStringLiteral("log.xml")) + QStringLiteral(",xml"),
                             QStringLiteral("-o"), QStringLiteral("-,txt")};
    arguments += m_suiteArguments;
    m_elapsed.start();
    m_timer->start(m_timeoutMs);
    m_process->start(program, arguments);
}

bool SuiteRun::timedOut() const { return m_timedOut; }

int SuiteRun::exitCode() const { return m_exitCode; }

qint64 SuiteRun::elapsedMs() const { return m_elapsedMs; }

QString SuiteRun::errorString() const { return m_error; }

TestLog SuiteRun::log() const { return m_log; }

RequestRecord SuiteRun::requests() const { return m_requests; }

QString SuiteRun::consoleOutput() const
{
    QFile file(filePath(QStringLiteral("console.txt")));
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readAll());
}

QVector<QJsonObject> SuiteRun::trace() const
{
    return TrafficLog::fromFile(filePath(QStringLiteral("trace.jsonl"))).entries();
}

QString SuiteRun::commandLine() const
{
    QStringList quoted;
    for (const QString &argument : m_suiteArguments)
        quoted.append('"' + argument + '"');
    return QStringLiteral("%1KORVU_SCENARIO=%2 testdeliveries %3")
        .arg(m_traced ? QStringLiteral("KORVU_TRACE_FILE=trace.jsonl ") : QString(), m_scenario, quoted.join(' '));
}

QString SuiteRun::keepFiles()
{
    m_directory.setAutoRemove(false);
    return m_directory.path();
}

void SuiteRun::onFinished(int exitCode, QProcess::ExitStatus exitStatus)
{
    m_timer->stop();
    m_elapsedMs = m_elapsed.elapsed();
    m_exitCode = exitStatus == QProcess::NormalExit ? exitCode : -1;
    QString why;
    TestLogReader::readFile(filePath(QStringLiteral("log.xml")), &m_log, &why);
    m_requests = RequestRecord::fromFile(filePath(QStringLiteral("requests.log")), &why);
    if (m_timedOut)
        m_error = QStringLiteral("the run took longer than %1 ms and was killed").arg(m_timeoutMs);
    else if (!why.isEmpty())
        m_error = why;
    emit finished();
}

void SuiteRun::onTimeout()
{
    m_timedOut = true;
    m_process->kill();
}

QProcessEnvironment SuiteRun::environment() const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("PATH"),
                       m_setup.scriptedDaemonDirectory + ':' + environment.value(QStringLiteral("PATH")));
    environment.insert(QStringLiteral("KORVU_SCENARIO"), QDir(m_setup.scenarioDirectory).filePath(m_scenario));
    environment.insert(QStringLiteral("KORVU_DATA_DIR"), filePath(QStringLiteral("data")));
    environment.insert(QStringLiteral("KORVU_REQUEST_LOG"), filePath(QStringLiteral("requests.log")));
    environment.remove(QStringLiteral("QT_LOGGING_RULES"));
    if (m_traced)
        environment.insert(QStringLiteral("KORVU_TRACE_FILE"), filePath(QStringLiteral("trace.jsonl")));
    else
        environment.remove(QStringLiteral("KORVU_TRACE_FILE"));
    return environment;
}

QString SuiteRun::filePath(const QString &name) const { return QDir(m_directory.path()).filePath(name); }
