#ifndef RUNTREE_H
#define RUNTREE_H

#include <QDir>
#include <QProcessEnvironment>
#include <QString>
#include <QTemporaryDir>

// A temporary folder laid out like a build tree, so that the suite finds the
// daemon and the plug-ins where it looks for them:
//   <root>/tests/auto/deliveries   the suite's working directory
//   <root>/tests/mocks             -> the mock plug-in folder
//   <root>/experience              -> the experience plug-in folder
//   <root>/bin/korvud              -> the daemon, first on PATH
//   <root>/data                    KORVU_DATA_DIR, empty at the start
class RunTree
{
public:
    struct Sources
    {
        QString daemon;
        QString mocksDir;
        QString experienceDir;
    };

    // Returns false and sets *error when the tree cannot be made.
    bool create(const Sources &sources, QString *error);
    void setKeep(bool keep);

    QString root() const;
    QString suiteDir() const;
    QString binDir() const;
    QString dataDir() const;
    // A data folder of its own for the start-up probe of the daemon, so the
    // real run still starts with an empty one.
    QString probeDataDir() const;

    // base plus KORVU_DATA_DIR, PATH with bin/ first, and the offscreen
    // platform unless one is chosen already.
    QProcessEnvironment environment(const QProcessEnvironment &base) const;

private:
    bool makeDir(const QString &path, QString *error) const;
    bool makeLink(const QString &target, const QString &link, QString *error) const;

    QTemporaryDir m_dir{QDir::tempPath() + QStringLiteral("/korvu-check-XXXXXX")};
};

#endif // RUNTREE_H
