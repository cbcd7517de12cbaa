#ifndef KORVUCHECK_RUNPOOL_H
#define KORVUCHECK_RUNPOOL_H

#include <QHash>
#include <QList>
#include <QObject>

// Something that runs on its own once started, such as one run of the suite.
class PoolJob : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    virtual void start() = 0;

signals:
    // The job is past its start-up, which the pool may hold others back for.
    void startedUp();
    void finished();
};

// Starts queued jobs, at most a given number at a time, in the order they were
// added. Suite runs in network namespaces of their own cannot disturb each
// other, so they can share the machine this way.
class RunPool : public QObject
{
    Q_OBJECT
public:
    explicit RunPool(int maximumRunning, QObject *parent = nullptr);

    // At most this many started jobs that are not started up yet; the rest
    // wait, though there is room for them to run. 0: no such limit.
    void setMaximumStarting(int maximumStarting);

    void add(PoolJob *job);
    // As add, but the job starts only once every job added with add() before
    // it has started up or ended: quick jobs that start while the long ones
    // wait, instead of holding up their start.
    void addBehind(PoolJob *job);
    void start();
    // Starts no further job; the running ones go on to their end.
    void cancelQueued();
    // Nothing runs and nothing waits.
    bool isIdle() const;
    // Runs the event loop until the pool is idle; false after timeoutMs.
    bool waitForAll(int timeoutMs);

signals:
    void idle();

private:
    void enqueue(PoolJob *job);
    void startNext();
    bool isHeldBack(PoolJob *job) const;

    int m_maximumRunning;
    int m_running = 0;
    int m_maximumStarting = 0;
    QList<PoolJob *> m_starting;
    // Jobs added with add() that have not started up or ended yet.
    QList<PoolJob *> m_leading;
    // Jobs added with addBehind(), with the leading jobs added before them.
    QHash<PoolJob *, QList<PoolJob *>> m_behind;
    QList<PoolJob *> m_queue;
};

#endif // KORVUCHECK_RUNPOOL_H
