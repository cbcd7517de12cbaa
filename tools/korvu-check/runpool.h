#ifndef KORVUCHECK_RUNPOOL_H
#define KORVUCHECK_RUNPOOL_H

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

    void add(PoolJob *job);
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
    void startNext();

    int m_maximumRunning;
    int m_running = 0;
    QList<PoolJob *> m_queue;
};

#endif // KORVUCHECK_RUNPOOL_H
