#include "runtree.h"

#include <QDir>
#include <QFile>

bool RunTree::create(const Sources &sources, QString *error)
{
    if (!m_dir.isValid()) {
        *error = QStringLiteral("cannot create a temporary run tree: %1").arg(m_dir.errorString());
        return false;
    }
    return makeDir(suiteDir(), error) && makeDir(binDir(), error) && makeDir(dataDir(), error)
           && makeDir(probeDataDir(), error)
           && makeLink(sources.mocksDir, root() + QStringLiteral("/tests/mocks"), error)
           && makeLink(sources.experienceDir, root() + QStringLiteral("/experience"), error)
           && makeLink(sources.daemon, binDir() + QStringLiteral("/korvud"), error);
}

void RunTree::setKeep(bool keep) { m_dir.setAutoRemove(!keep); }

QString RunTree::root() const { return m_dir.path(); }

QString RunTree::suiteDir() const { return root() + QStringLiteral("/tests/auto/deliveries"); }

QString RunTree::binDir() const { return root() + QStringLiteral("/bin"); }

QString RunTree::dataDir() const { return root() + QStringLiteral("/data"); }

QString RunTree::probeDataDir() const { return root() + QStringLiteral("/probe-data"); }

QProcessEnvironment RunTree::environment(const QProcessEnvironment &base) const
{
    QProcessEnvironment environment = base;
    environment.insert(QStringLiteral("KORVU_DATA_DIR"), dataDir());
    const QString path = base.value(QStringLiteral("PATH"));
    environment.insert(QStringLiteral("PATH"), path.isEmpty() ? binDir() : binDir() + QLatin1Char(':') + path);
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
