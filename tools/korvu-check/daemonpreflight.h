#ifndef DAEMONPREFLIGHT_H
#define DAEMONPREFLIGHT_H

#include "networkisolation.h"

#include <QByteArray>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>

#include <functional>

// Starts the daemon once, in a network namespace of its own, and waits until
// it listens on 127.0.0.1:2222, so that a daemon that cannot start is reported
// in a few seconds instead of leaving the suite retrying its connection.
class DaemonPreflight
{
public:
    enum class Outcome { Listening, Exited, NotListening, NotStarted, Interrupted };

    DaemonPreflight(const NetworkIsolation &isolation, const QString &daemon, const QProcessEnvironment &environment,
                    const QString &workingDirectory);

    Outcome run(int timeoutMsecs, const std::function<bool()> &interrupted);
    // The lines explaining a failed outcome, with the daemon's last output.
    QStringList report() const;

    // Whether a /proc/<pid>/net/tcp or tcp6 table holds a socket listening on
    // the port that a client of 127.0.0.1 reaches.
    static bool tableHasListener(const QByteArray &table, quint16 port);

private:
    bool isListening() const;
    bool isInOwnNamespace() const;
    void collectOutput();
    void stop();
    QStringList lastOutputLines() const;

    const NetworkIsolation &m_isolation;
    QString m_daemon;
    QProcessEnvironment m_environment;
    QString m_workingDirectory;
    QProcess m_process;
    QByteArray m_output;
    Outcome m_outcome = Outcome::NotStarted;
    int m_timeoutMsecs = 0;
};

#endif // DAEMONPREFLIGHT_H
