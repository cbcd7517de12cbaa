#include "run/runtree.h"
#include "commandline/commandwords.h"

#include <daemonenvironment.h>
#include <tracefields.h>

#include <QDir>
#include <QFile>

bool RunTree::create(const QString &rootPath, const Sources &sources, QString *error)
{
    m_root = rootPath;
    return makeDir(suiteDir(), error) && makeDir(binDir(), error) && makeDir(dataDir(), error)
           && makeDir(probeDataDir(), error) && makeLink(sources.mocksDir, mocksDir(), error)
           && makeLink(sources.experienceDir, experienceDir(), error)
           && (sources.wrapCommand.isEmpty() ? makeLink(sources.daemon, daemon(), error)
                                             : makeLauncher(sources.daemon, sources.wrapCommand, error));
}

QString RunTree::root() const { return m_root; }

QString RunTree::suiteDir() const { return root() + QStringLiteral("/tests/auto/deliveries"); }

QString RunTree::mocksDir() const
{
    return QDir::cleanPath(suiteDir() + QLatin1Char('/') + QLatin1String(DaemonEnvironment::mocksDirFromSuite));
}

QString RunTree::experienceDir() const
{
    return QDir::cleanPath(suiteDir() + QLatin1Char('/') + QLatin1String(DaemonEnvironment::experienceDirFromSuite));
}

QString RunTree::binDir() const { return root() + QStringLiteral("/bin"); }

QString RunTree::daemon() const { return binDir() + QLatin1Char('/') + QLatin1String(DaemonEnvironment::program); }

QString RunTree::dataDir() const { return root() + QStringLiteral("/data"); }

QString RunTree::probeDataDir() const { return root() + QStringLiteral("/probe-data"); }

QString RunTree::traceFile() const { return root() + QStringLiteral("/trace.jsonl"); }

QProcessEnvironment RunTree::environment(const QProcessEnvironment &base) const
{
    QProcessEnvironment environment = withPlatform(base);
    environment.insert(QStringLiteral("KORVU_DATA_DIR"), dataDir());
    environment.insert(QLatin1String(TraceFields::fileVariable), traceFile());
    const QString path = base.value(QStringLiteral("PATH"));
    environment.insert(QStringLiteral("PATH"), path.isEmpty() ? binDir() : binDir() + QLatin1Char(':') + path);
    return environment;
}

QProcessEnvironment RunTree::withPlatform(const QProcessEnvironment &base)
{
    QProcessEnvironment environment = base;
    if (!environment.contains(QStringLiteral("QT_QPA_PLATFORM")))
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    return environment;
}

bool RunTree::makeDir(const QString &path, QString *error) const
{
    if (QDir().mkpath(path))
        return true;
    *error = QStringLiteral("cannot create %1").arg(path);
    return false;
}

bool RunTree::makeLink(const QString &target, const QString &link, QString *error) const
{
    if (QFile::link(target, link))
        return true;
    *error = QStringLiteral("cannot link %1 to %2").arg(link, target);
    return false;
}

// exec keeps the process the suite started, so its kill and the exit it sees
// are the tool's, and the tool gets the environment and arguments unchanged.
bool RunTree::makeLauncher(const QString &daemon, const QStringList &wrapCommand, QString *error) const
{
    QStringList words;
    for (const QString &word : wrapCommand + QStringList{daemon})
        words.append(CommandWords::shellQuoted(word));
    QFile script(this->daemon());
    const QByteArray text = "#!/bin/sh\nexec " + words.join(QLatin1Char(' ')).toUtf8() + " \"$@\"\n";
    if (script.open(QIODevice::WriteOnly) && script.write(text) == text.size()
        && script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup
                                 | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther)) {
        return true;
    }
    *error = QStringLiteral("cannot write the launcher %1: %2").arg(script.fileName(), script.errorString());
    return false;
}
