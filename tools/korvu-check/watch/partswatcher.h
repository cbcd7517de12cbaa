#ifndef KORVUCHECK_PARTSWATCHER_H
#define KORVUCHECK_PARTSWATCHER_H

#include <QFileSystemWatcher>
#include <QMap>
#include <QObject>
#include <QStringList>
#include <QTimer>

#include <functional>

// Tells when the parts a check runs (the daemon, the plug-in folders, the
// suite) have changed on disk and are complete again. A build writes a file
// in pieces, or writes a temporary file and renames it over the old one, and
// may remove a file long before it writes it anew; so a change counts once
// nothing has moved for a quiet spell, the parts look the same across a
// further interval, and the readiness check finds every part in place.
class PartsWatcher : public QObject
{
    Q_OBJECT
public:
    struct Timing
    {
        int quietMsecs = 400; // after the last event, so that a burst of changes counts once
        int settleMsecs = 300; // the parts must look the same across this
        int pollMsecs = 500; // while waiting: a part may come into place without an event
    };

    // Names the first part that is not in place, or returns an empty string.
    using Readiness = std::function<QString()>;

    // paths: files and folders; a folder counts with every file in it.
    PartsWatcher(const QStringList &paths, const Readiness &readiness, const Timing &timing, QObject *parent = nullptr);

    // The parts are as they were when the last change was reported, or at the start.
    bool isCurrent() const;

signals:
    // paths: those watched that differ from the last report.
    void changed(const QStringList &paths);
    // Once for each wait: a part changed but is not in place yet.
    void waiting(const QString &problem);

private:
    // Per watched path, what tells one build of it from the next.
    using Snapshot = QMap<QString, QString>;

    Snapshot snapshot() const;
    void watchAll();
    void noteActivity();
    void evaluate();

    QStringList m_paths;
    Readiness m_readiness;
    Timing m_timing;
    QFileSystemWatcher m_watcher;
    QTimer m_timer;
    Snapshot m_reported;
    Snapshot m_seen; // at the last look
    bool m_waiting = false;
};

#endif // KORVUCHECK_PARTSWATCHER_H
