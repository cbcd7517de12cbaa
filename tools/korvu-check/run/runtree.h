#ifndef KORVUCHECK_RUNTREE_H
#define KORVUCHECK_RUNTREE_H

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

// A folder laid out like a build tree, so that the suite finds the daemon and
// the plug-ins where it looks for them:
//   <root>/tests/auto/deliveries   the suite's working directory
//   <root>/tests/mocks             -> the mock plug-in folder
//   <root>/experience              -> the experience plug-in folder
//   <root>/bin/korvud              -> the daemon, first on PATH; with a wrap
//                                     command a script that execs the daemon
//                                     under it
//   <root>/data                    KORVU_DATA_DIR, empty at the start
//   <root>/trace.jsonl             KORVU_TRACE_FILE, the suite's traffic
class RunTree
{
public:
    struct Sources
    {
        QString daemon;
        QString mocksDir;
        QString experienceDir;
        QStringList wrapCommand; // empty: the daemon runs as it is
    };

    // Lays the tree out in rootPath, which is made when missing. Returns false and
    // sets *error when it cannot be made.
    bool create(const QString &rootPath, const Sources &sources, QString *error);

    QString root() const;
    QString suiteDir() const;
    // The links to the parts, where the suite looks for them.
    QString mocksDir() const;
    QString experienceDir() const;
    QString daemon() const;
    QString dataDir() const;
    // A data folder of its own for the start-up probe of the daemon, so the
    // real run still starts with an empty one.
    QString probeDataDir() const;
    QString traceFile() const;

    // base plus KORVU_DATA_DIR, KORVU_TRACE_FILE, PATH with bin/ first, and
    // the offscreen platform unless one is chosen already.
    QProcessEnvironment environment(const QProcessEnvironment &base) const;
    // base with the offscreen platform unless one is chosen already: the suite
    // is a GUI test program that needs no screen.
    static QProcessEnvironment withPlatform(const QProcessEnvironment &base);

private:
    QString binDir() const;
    bool makeDir(const QString &path, QString *error) const;
    bool makeLink(const QString &target, const QString &link, QString *error) const;
    bool makeLauncher(const QString &daemon, const QStringList &wrapCommand, QString *error) const;

    QString m_root;
};

#endif // KORVUCHECK_RUNTREE_H
