#ifndef RUNPOOL_H
#define RUNPOOL_H

#include <QList>
#include <QObject>

class SuiteRun;

// Starts queued runs, at most a few at a time (each in its own network
// namespace, so they cannot disturb each other), in the order they were added.
class RunPool : public QObject
{
    Q_OBJECT
public:
    explicit RunPool(int maximumRunning, QObject *parent = nullptr);

    void add(SuiteRun *run);
    void start();
    // Runs the event loop until every run has finished; false after timeoutMs.
    bool waitForAll(int timeoutMs);

private:
    void startNext();
    bool allFinished() const;

    int m_maximumRunning;
    int m_running = 0;
    QList<SuiteRun *> m_queue;
    QList<SuiteRun *> m_runs;
};

#endif // RUNPOOL_H
