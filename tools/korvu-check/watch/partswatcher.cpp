#include "watch/partswatcher.h"
#include "watch/watchlogging.h"

#include <QDir>
#include <QFileInfo>
#include <QLibrary>

#include <sys/stat.h>

namespace {

// The inode tells a file renamed over the old one, the change time a file
// rewritten in place or made executable, even when its size and
// modification time were kept (cp -p, install -p).
QString stamp(const QString &path)
{
    struct stat status = {};
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return QStringLiteral("missing");
    return QStringLiteral("%1 %2 %3.%4 %5.%6 %7")
        .arg(status.st_ino)
        .arg(status.st_size)
        .arg(status.st_mtim.tv_sec)
        .arg(status.st_mtim.tv_nsec)
        .arg(status.st_ctim.tv_sec)
        .arg(status.st_ctim.tv_nsec)
        .arg(status.st_mode, 0, 8);
}

// What the daemon loads from a plug-in folder: the libraries right in it. A
// build tree's plug-in folder also holds object files, generated sources and
// test programs, and a build makes and removes temporary files in it.
QStringList libraries(const QString &folder)
{
    QStringList files;
    const QFileInfoList entries = QDir(folder).entryInfoList(QDir::Files, QDir::Name);
    for (const QFileInfo &entry : entries) {
        if (QLibrary::isLibrary(entry.fileName()))
            files.append(entry.filePath());
    }
    return files;
}

QString folderStamp(const QString &folder)
{
    QStringList lines;
    const QStringList files = libraries(folder);
    for (const QString &file : files)
        lines.append(file + QLatin1Char(' ') + stamp(file));
    return lines.join(QLatin1Char('\n'));
}

} // namespace

PartsWatcher::PartsWatcher(const QStringList &paths, const Readiness &readiness, const Timing &timing, QObject *parent)
    : QObject(parent)
    , m_paths(paths)
    , m_readiness(readiness)
    , m_timing(timing)
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &PartsWatcher::evaluate);
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, &PartsWatcher::noteActivity);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, &PartsWatcher::noteActivity);
    watchAll();
    m_reported = m_seen = snapshot();
}

bool PartsWatcher::isCurrent() const { return snapshot() == m_reported; }

PartsWatcher::Snapshot PartsWatcher::snapshot() const
{
    Snapshot parts;
    for (const QString &path : m_paths)
        parts.insert(path, QFileInfo(path).isDir() ? folderStamp(path) : stamp(path));
    return parts;
}

// A file renamed over or removed drops out of the watcher, and a folder's
// new files are not in it yet; the folder that holds each part sees a part
// come back.
void PartsWatcher::watchAll()
{
    QStringList wanted;
    for (const QString &path : m_paths) {
        const QFileInfo info(path);
        wanted.append(info.absolutePath());
        wanted.append(path);
        if (info.isDir())
            wanted += libraries(path);
    }
    const QStringList watched = m_watcher.files() + m_watcher.directories();
    QStringList added;
    for (const QString &path : qAsConst(wanted)) {
        if (!watched.contains(path) && !added.contains(path) && QFileInfo::exists(path))
            added.append(path);
    }
    if (!added.isEmpty())
        m_watcher.addPaths(added);
}

void PartsWatcher::noteActivity()
{
    watchAll();
    m_timer.start(m_timing.quietMsecs);
}

void PartsWatcher::evaluate()
{
    const Snapshot now = snapshot();
    if (now != m_seen) {
        m_seen = now;
        m_timer.start(m_timing.settleMsecs);
        return;
    }
    if (now == m_reported) {
        m_waiting = false;
        return;
    }
    const QString problem = m_readiness();
    if (!problem.isEmpty()) {
        qCDebug(dcWatch) << "Parts not in place:" << problem;
        if (!m_waiting)
            emit waiting(problem);
        m_waiting = true;
        m_timer.start(m_timing.pollMsecs);
        return;
    }
    QStringList differing;
    for (const QString &path : qAsConst(m_paths)) {
        if (now.value(path) != m_reported.value(path))
            differing.append(path);
    }
    m_reported = now;
    m_waiting = false;
    emit changed(differing);
}
