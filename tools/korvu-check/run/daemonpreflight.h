#ifndef KORVUCHECK_DAEMONPREFLIGHT_H
#define KORVUCHECK_DAEMONPREFLIGHT_H

#include "run/isolation/isolatedprocess.h"
#include "run/isolation/networkisolation.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>
#include <QTimer>

#include <functional>

// Starts the daemon once, in a network namespace of its own, and waits until
// it listens on 127.0.0.1:2222, so that a daemon that cannot start is reported
// in a few seconds instead of leaving the suite retrying its connection. With
// network namespaces it runs beside the suite and costs no time.
class DaemonPreflight : public QObject
{
    Q_OBJECT
public:
    enum class Outcome { Running, Listening, Exited, NotListening, NotStarted, Interrupted };

    DaemonPreflight(const NetworkIsolation &isolation, const QString &daemon, const QProcessEnvironment &environment,
                    const QString &workingDirectory, QObject *parent = nullptr);

    // Asked when the time is up: whether the daemon listens somewhere else,
    // as in a suite's own network namespace. A machine busy starting every
    // shard's daemon may hold up the probe's longer than theirs.
    void setListeningElsewhere(const std::function<bool()> &listeningElsewhere);
    void start(int timeoutMsecs);
    // Runs the event loop until the outcome is known.
    Outcome wait();
    Outcome outcome() const;
    // The lines explaining a failed outcome, with the daemon's last output.
    QStringList report() const;

public slots:
    void interrupt();

signals:
    void finished(DaemonPreflight::Outcome outcome);
    // Once, when the daemon has not listened after a few seconds and may
    // still take remainingMsecs.
    void stillWaiting(int waitedMsecs, int remainingMsecs);

private:
    void poll();
    void finish(Outcome outcome);
    bool isListening() const;
    bool isInOwnNamespace() const;
    void collectOutput();
    void stop();
    QStringList lastOutputLines() const;

    const NetworkIsolation &m_isolation;
    QString m_daemon;
    QProcessEnvironment m_environment;
    QString m_workingDirectory;
    IsolatedProcess m_process;
    QByteArray m_output;
    QTimer m_pollTimer;
    QElapsedTimer m_elapsed;
    Outcome m_outcome = Outcome::Running;
    int m_timeoutMsecs = 0;
    bool m_toldWaiting = false;
    std::function<bool()> m_listeningElsewhere;
};

#endif // KORVUCHECK_DAEMONPREFLIGHT_H
