#include "commandline/bundledparts.h"

#include <QDir>
#include <QFileInfo>

namespace {

// Paths relative to korvu-check's folder.
CheckOptions::Defaults installedLayout()
{
    const QString dir = QStringLiteral(KORVU_CHECK_INSTALLED_PARTS);
    return {dir + QStringLiteral("/testdeliveries"), dir + QStringLiteral("/korvud"), dir + QStringLiteral("/mocks"),
            dir + QStringLiteral("/experience")};
}

CheckOptions::Defaults buildTreeLayout()
{
    return {QStringLiteral(KORVU_CHECK_BUILD_SUITE), QStringLiteral(KORVU_CHECK_BUILD_DAEMON),
            QStringLiteral(KORVU_CHECK_BUILD_MOCKS), QStringLiteral(KORVU_CHECK_BUILD_EXPERIENCE)};
}

} // namespace

namespace BundledParts {

CheckOptions::Defaults locate(const QString &executableDir)
{
    const QDir base(executableDir);
    const auto resolved = [&base](const CheckOptions::Defaults &layout) {
        return CheckOptions::Defaults{QDir::cleanPath(base.absoluteFilePath(layout.suite)),
                                      QDir::cleanPath(base.absoluteFilePath(layout.daemon)),
                                      QDir::cleanPath(base.absoluteFilePath(layout.mocksDir)),
                                      QDir::cleanPath(base.absoluteFilePath(layout.experienceDir))};
    };
    const CheckOptions::Defaults installed = resolved(installedLayout());
    if (QFileInfo::exists(installed.suite))
        return installed;
    const CheckOptions::Defaults buildTree = resolved(buildTreeLayout());
    if (QFileInfo::exists(buildTree.suite))
        return buildTree;
    return installed;
}

} // namespace BundledParts
