#include "tests/checkprocess.h"

#include <QDir>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>

CheckProcess::CheckProcess(const QStringList &arguments, const QStringList &environment, int timeoutMsecs,
                           QObject *parent)
    : PoolJob(parent)
    , m_arguments(arguments)
    , m_timeoutMsecs(timeoutMsecs)
{
    // The run tree chooses the platform itself.
    QProcessEnvironment processEnvironment = QProcessEnvironment::systemEnvironment();
    processEnvironment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    // What --last-failed records stays with the test, out of the user's cache.
    static const QTemporaryDir cache;
    processEnvironment.insert(QStringLiteral("XDG_CACHE_HOME"), cache.path());
    for (const QString &variable : environment)
        processEnvironment.insert(variable.section(QLatin1Char('='), 0, 0), variable.section(QLatin1Char('='), 1));
    m_process.setProcessEnvironment(processEnvironment);
    connect(&m_process, QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished), this, &CheckProcess::finish);
    connect(&m_process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            finish();
    });
}

void CheckProcess::start()
{
    m_timer.start();
    QTimer::singleShot(m_timeoutMsecs, &m_process, &QProcess::kill);
    m_process.start(QStringLiteral(KORVU_CHECK_BINARY), m_arguments);
}

bool CheckProcess::isFinished() const { return m_finished; }

CheckProcess::Result CheckProcess::result() const { return m_result; }

CheckProcess::Result CheckProcess::run(const QStringList &arguments, const QStringList &environment, int timeoutMsecs)
{
    CheckProcess check(arguments, environment, timeoutMsecs);
    QEventLoop loop;
    connect(&check, &PoolJob::finished, &loop, &QEventLoop::quit);
    check.start();
    if (!check.isFinished())
        loop.exec();
    return check.result();
}

void CheckProcess::finish()
{
    if (m_finished)
        return;
    m_result.msecs = m_timer.elapsed();
    m_result.status = m_process.exitStatus() == QProcess::NormalExit && m_process.error() != QProcess::FailedToStart
                          ? m_process.exitCode()
                          : -1;
    m_result.out = QString::fromUtf8(m_process.readAllStandardOutput());
    m_result.err = QString::fromUtf8(m_process.readAllStandardError());
    m_finished = true;
    emit finished();
}

QString CheckProcess::ctrfDocument(const QString &name)
{
    QDir().mkpath(QStringLiteral(KORVU_CTRF_DOCUMENTS_DIR));
    return QDir(QStringLiteral(KORVU_CTRF_DOCUMENTS_DIR)).filePath(name);
}
