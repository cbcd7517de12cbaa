#include "commandline/bundledparts.h"

#include <QtTest>

namespace {

// Where korvu-check was built to look for its parts, relative to its folder.
const QString installedParts = QStringLiteral(KORVU_CHECK_INSTALLED_PARTS);
const CheckOptions::Defaults installedLayout = {installedParts + "/testdeliveries", installedParts + "/korvud",
                                                installedParts + "/mocks", installedParts + "/experience"};
const CheckOptions::Defaults buildTreeLayout = {KORVU_CHECK_BUILD_SUITE, KORVU_CHECK_BUILD_DAEMON,
                                                KORVU_CHECK_BUILD_MOCKS, KORVU_CHECK_BUILD_EXPERIENCE};

} // namespace

// korvu-check finds the suite, the stand-in daemon and the plug-ins relative
// to its own folder, as installed or in a build tree.
class TestBundledParts : public QObject
{
    Q_OBJECT
private slots:
    void testLocate_data();
    void testLocate();
};

void TestBundledParts::testLocate_data()
{
    QTest::addColumn<bool>("installed");
    QTest::addColumn<bool>("buildTree");
    QTest::addColumn<bool>("expectInstalled");

    QTest::newRow("installed tree") << true << false << true;
    QTest::newRow("build tree") << false << true << false;
    QTest::newRow("both: the installed tree wins") << true << true << true;
    QTest::newRow("neither: named where an installed tree has them") << false << false << true;
}

void TestBundledParts::testLocate()
{
    QFETCH(bool, installed);
    QFETCH(bool, buildTree);
    QFETCH(bool, expectInstalled);

    QTemporaryDir root;
    QVERIFY(root.isValid());
    // Deep enough that every relative path stays inside the temporary folder.
    const QDir executableDir(root.filePath(QStringLiteral("a/b/c/bin")));
    QVERIFY(QDir().mkpath(executableDir.path()));
    const auto place = [&executableDir](const QString &relativePath) {
        const QString path = executableDir.absoluteFilePath(relativePath);
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        return file.open(QIODevice::WriteOnly);
    };
    if (installed)
        QVERIFY(place(installedLayout.suite));
    if (buildTree)
        QVERIFY(place(buildTreeLayout.suite));

    const CheckOptions::Defaults expected = expectInstalled ? installedLayout : buildTreeLayout;
    const CheckOptions::Defaults found = BundledParts::locate(executableDir.path());
    QCOMPARE(found.suite, QDir::cleanPath(executableDir.absoluteFilePath(expected.suite)));
    QCOMPARE(found.daemon, QDir::cleanPath(executableDir.absoluteFilePath(expected.daemon)));
    QCOMPARE(found.mocksDir, QDir::cleanPath(executableDir.absoluteFilePath(expected.mocksDir)));
    QCOMPARE(found.experienceDir, QDir::cleanPath(executableDir.absoluteFilePath(expected.experienceDir)));
    QVERIFY(found.suite.startsWith(root.path()));
}

QTEST_GUILESS_MAIN(TestBundledParts)

#include "tst_bundledparts.moc"
