#ifndef KORVU_SYSTEM_BYSTANDERCLIENT_H
#define KORVU_SYSTEM_BYSTANDERCLIENT_H

#include <QString>
#include <QThread>

#include <atomic>

// A well-behaved client that keeps calling JSONRPC.Hello, one call at a time
// on its own connection and thread, until it is stopped; it records how many
// calls it made, how many failed and the slowest reply.
class BystanderClient : public QThread
{
    Q_OBJECT
public:
    explicit BystanderClient(QObject *parent = nullptr);

    void stop();

    // Valid once the thread has finished.
    int calls() const;
    int failures() const;
    qint64 slowestReplyMs() const;
    QString firstFailure() const;

protected:
    void run() override;

private:
    std::atomic<bool> m_stopRequested{false};
    int m_calls = 0;
    int m_failures = 0;
    qint64 m_slowestReplyMs = 0;
    QString m_firstFailure;
};

#endif // KORVU_SYSTEM_BYSTANDERCLIENT_H
