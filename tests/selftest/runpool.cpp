#include "runpool.h"

#include "suiterun.h"

#include <QEventLoop>
#include <QTimer>

RunPool::RunPool(int maximumRunning, QObject *parent)
    : QObject(parent)
    , m_maximumRunning(maximumRunning)
{
}

void RunPool::add(SuiteRun *run)
{
    m_queue.append(run);
    m_runs.append(run);
    connect(run, &SuiteRun::finished, this, [this] {
        --m_running;
        startNext();
    });
}

void RunPool::start()
{
    while (m_running < m_maximumRunning && !m_queue.isEmpty())
        startNext();
}

bool RunPool::waitForAll(int timeoutMs)
{
    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    for (SuiteRun *run : qAsConst(m_runs)) {
        connect(run, &SuiteRun::finished, &loop, [this, &loop] {
            if (allFinished())
                loop.quit();
        });
    }
    if (allFinished())
        return true;
    deadline.start(timeoutMs);
    loop.exec();
    return allFinished();
}

void RunPool::startNext()
{
    if (m_queue.isEmpty() || m_running >= m_maximumRunning)
        return;
    ++m_running;
    m_queue.takeFirst()->start();
}

bool RunPool::allFinished() const
{
    for (const SuiteRun *run : m_runs) {
        if (!run->isFinished())
            return false;
    }
    return true;
}
