#include "run/qtmajorcheck.h"
#include "run/elfdependencies.h"

#include <QDir>
#include <QLibrary>

namespace {

const int knownMajors[] = {5, 6};

// The package whose parts are built with that Qt major.
QString packageFor(int qtMajor)
{
    return qtMajor == 6 ? QStringLiteral("korvu-delivery-checks-qt6") : QStringLiteral("korvu-delivery-checks");
}

QtMajorCheck::Part pluginPart(const QString &name, const QString &folder)
{
    const QFileInfoList entries = QDir(folder).entryInfoList(QDir::Files | QDir::Readable, QDir::Name);
    for (const QFileInfo &entry : entries) {
        if (!QLibrary::isLibrary(entry.fileName()))
            continue;
        const int qtMajor = QtMajorCheck::linkedQtMajor(entry.filePath());
        if (qtMajor != 0)
            return {name, entry.filePath(), qtMajor};
    }
    return {name, folder, 0};
}

} // namespace

QtMajorCheck QtMajorCheck::read(const QString &daemon, const QString &mocksDir, const QString &experienceDir,
                                const QStringList &wrapCommand)
{
    if (!wrapCommand.isEmpty()) {
        return QtMajorCheck({}, QStringLiteral("the daemon runs under --wrap %1, so whether it links the plug-ins' Qt "
                                               "major is not checked")
                                    .arg(wrapCommand.constFirst()));
    }
    const int daemonMajor = linkedQtMajor(daemon);
    if (daemonMajor == 0) {
        return QtMajorCheck({}, QStringLiteral("%1 is no ELF program that links QtCore, so whether it links the "
                                               "plug-ins' Qt major is not checked")
                                    .arg(daemon));
    }
    return QtMajorCheck({{QStringLiteral("korvud"), daemon, daemonMajor},
                         pluginPart(QStringLiteral("the mocks plug-in"), mocksDir),
                         pluginPart(QStringLiteral("the experience plug-in"), experienceDir)});
}

QtMajorCheck::QtMajorCheck(const QVector<Part> &parts, const QString &skipReason)
    : m_parts(parts)
    , m_skipReason(skipReason)
{
}

int QtMajorCheck::linkedQtMajor(const QString &fileName)
{
    QStringList needed;
    if (!ElfDependencies::read(fileName, &needed))
        return 0;
    for (const int qtMajor : knownMajors) {
        if (needed.contains(QStringLiteral("libQt%1Core.so.%1").arg(qtMajor)))
            return qtMajor;
    }
    return 0;
}

QString QtMajorCheck::refusal() const
{
    if (m_parts.isEmpty())
        return QString();
    const int daemonMajor = m_parts.constFirst().qtMajor;
    bool differ = false;
    QStringList named;
    for (const Part &part : m_parts) {
        differ = differ || (part.qtMajor != 0 && part.qtMajor != daemonMajor);
        named.append(part.qtMajor == 0
                         ? QStringLiteral("%1 links no Qt korvu-check knows (%2)").arg(part.name, part.file)
                         : QStringLiteral("%1 links Qt %2 (%3)").arg(part.name).arg(part.qtMajor).arg(part.file));
    }
    if (!differ)
        return QString();
    return QStringLiteral("the daemon and its plug-ins link different Qt majors, so the plug-ins would not load: %1. "
                          "For a daemon built with Qt %2 use %3, or pass --mocks and --experience built with Qt %2")
        .arg(named.join(QStringLiteral("; ")))
        .arg(daemonMajor)
        .arg(packageFor(daemonMajor));
}

QString QtMajorCheck::skipReason() const { return m_skipReason; }
