#include "run/runpool.h"

#include <QEventLoop>
#include <QTimer>

#include <algorithm>

RunPool::RunPool(int maximumRunning, QObject *parent)
    : QObject(parent)
    , m_maximumRunning(qMax(1, maximumRunning))
{
}

void RunPool::add(PoolJob *job)
{
    m_leading.append(job);
    enqueue(job);
}

void RunPool::addBehind(PoolJob *job)
{
    m_behind.insert(job, m_leading);
    enqueue(job);
}

void RunPool::enqueue(PoolJob *job)
{
    m_queue.append(job);
    connect(job, &PoolJob::startedUp, this, [this, job] {
        const bool wasStarting = m_starting.removeOne(job);
        if (m_leading.removeOne(job) || wasStarting)
            start();
    });
    connect(job, &PoolJob::finished, this, [this, job] {
        --m_running;
        m_starting.removeOne(job);
        m_leading.removeOne(job);
        start();
        if (isIdle())
            emit idle();
    });
}

void RunPool::setMaximumStarting(int maximumStarting) { m_maximumStarting = maximumStarting; }

void RunPool::start()
{
    // Until the limits leave no room for the next job.
    int queued = -1;
    while (!m_queue.isEmpty() && m_queue.size() != queued) {
        queued = m_queue.size();
        startNext();
    }
}

void RunPool::cancelQueued()
{
    m_queue.clear();
    m_behind.clear();
}

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
    if (m_queue.isEmpty() || m_running >= m_maximumRunning
        || (m_maximumStarting > 0 && m_starting.size() >= m_maximumStarting) || isHeldBack(m_queue.constFirst()))
        return;
    ++m_running;
    PoolJob *job = m_queue.takeFirst();
    m_behind.remove(job);
    m_starting.append(job);
    job->start();
}

bool RunPool::isHeldBack(PoolJob *job) const
{
    const QList<PoolJob *> ahead = m_behind.value(job);
    return std::any_of(ahead.cbegin(), ahead.cend(), [this](PoolJob *leading) { return m_leading.contains(leading); });
}
