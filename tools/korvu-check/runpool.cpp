#include "runpool.h"

#include <QEventLoop>
#include <QTimer>

RunPool::RunPool(int maximumRunning, QObject *parent)
    : QObject(parent)
    , m_maximumRunning(qMax(1, maximumRunning))
{
}

void RunPool::add(PoolJob *job)
{
    m_queue.append(job);
    connect(job, &PoolJob::finished, this, [this] {
        --m_running;
        startNext();
        if (isIdle())
            emit idle();
    });
}

void RunPool::start()
{
    while (m_running < m_maximumRunning && !m_queue.isEmpty())
        startNext();
}

void RunPool::cancelQueued() { m_queue.clear(); }

bool RunPool::isIdle() const { return m_running == 0 && m_queue.isEmpty(); }

bool RunPool::waitForAll(int timeoutMs)
{
    if (isIdle())
        return true;
    QEventLoop loop;
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    connect(this, &RunPool::idle, &loop, &QEventLoop::quit);
    loop.exec();
    return isIdle();
}

void RunPool::startNext()
{
    if (m_queue.isEmpty() || m_running >= m_maximumRunning)
        return;
    ++m_running;
    m_queue.takeFirst()->start();
}
