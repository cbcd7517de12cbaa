#include "run/runtree.h"

#include <QtTest>

class TestRunTree : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void testLayout_data();
    void testLayout();
    void testEnvironment_data();
    void testEnvironment();
    void testLauncherRunsTheDaemonUnderTheTool();

private:
    RunTree::Sources m_sources;
    QTemporaryDir m_sourceDir;
    QTemporaryDir m_treeDir;
};

void TestRunTree::initTestCase()
{
    QVERIFY(m_sourceDir.isValid());
    QVERIFY(m_treeDir.isValid());
    const QString root = m_sourceDir.path();
    m_sources = {root + "/build/daemon/korvud", root + "/build/tests/mocks", root + "/build/experience", {}};
    QVERIFY(QDir().mkpath(root + "/build/daemon"));
    QVERIFY(QDir().mkpath(m_sources.mocksDir));
    QVERIFY(QDir().mkpath(m_sources.experienceDir));
    QFile plugin(m_sources.mocksDir + "/libdeliverymocks.so");
    QVERIFY(plugin.open(QIODevice::WriteOnly));
    plugin.close();
    QFile daemon(m_sources.daemon);
    QVERIFY(daemon.open(QIODevice::WriteOnly));
    daemon.write("#!/bin/sh\n");
    daemon.close();
    QVERIFY(daemon.setPermissions(daemon.permissions() | QFile::ExeOwner));
}

void TestRunTree::testLayout_data()
{
    QTest::addColumn<QString>("fromSuiteDir");
    QTest::addColumn<QString>("expected");

    QTest::newRow("mocks, as the suite finds them") << "/../../mocks/" << m_sources.mocksDir;
    QTest::newRow("experience, as the suite finds them") << "/../../../experience/" << m_sources.experienceDir;
    QTest::newRow("the daemon") << "/../../../bin/korvud" << m_sources.daemon;
}

void TestRunTree::testLayout()
{
    QFETCH(QString, fromSuiteDir);
    QFETCH(QString, expected);

    RunTree tree;
    QString error;
    QVERIFY2(tree.create(m_treeDir.filePath(QTest::currentDataTag()), m_sources, &error), qPrintable(error));
    QCOMPARE(QFileInfo(tree.suiteDir() + fromSuiteDir).canonicalFilePath(), QFileInfo(expected).canonicalFilePath());
    QVERIFY(tree.suiteDir().startsWith(tree.root()));
    QVERIFY(QDir(tree.dataDir()).isEmpty());
    // The suite starts the daemon by name, as PATH finds it.
    const QStringList path = tree.environment(QProcessEnvironment()).value("PATH").split(':');
    QCOMPARE(QStandardPaths::findExecutable("korvud", path), tree.daemon());
}

void TestRunTree::testEnvironment_data()
{
    QTest::addColumn<QStringList>("base");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("expected");

    QTest::newRow("bin first on PATH") << QStringList{"PATH=/usr/bin:/bin"} << "PATH"
                                       << "<bin>:/usr/bin:/bin";
    QTest::newRow("no PATH before") << QStringList() << "PATH"
                                    << "<bin>";
    QTest::newRow("offscreen by default") << QStringList() << "QT_QPA_PLATFORM"
                                          << "offscreen";
    QTest::newRow("platform chosen by the caller") << QStringList{"QT_QPA_PLATFORM=minimal"} << "QT_QPA_PLATFORM"
                                                   << "minimal";
    QTest::newRow("fresh data folder, whatever was set")
        << QStringList{"KORVU_DATA_DIR=/var/lib/korvu"} << "KORVU_DATA_DIR"
        << "<data>";
    QTest::newRow("traffic trace in the tree") << QStringList() << "KORVU_TRACE_FILE"
                                               << "<trace>";
    QTest::newRow("everything else kept") << QStringList{"LANG=C.UTF-8"} << "LANG"
                                          << "C.UTF-8";
}

void TestRunTree::testEnvironment()
{
    QFETCH(QStringList, base);
    QFETCH(QString, name);
    QFETCH(QString, expected);

    RunTree tree;
    QString error;
    QVERIFY2(tree.create(m_treeDir.filePath(QTest::currentDataTag()), m_sources, &error), qPrintable(error));
    QProcessEnvironment environment;
    for (const QString &variable : qAsConst(base))
        environment.insert(variable.section('=', 0, 0), variable.section('=', 1));

    expected.replace("<bin>", QFileInfo(tree.daemon()).path())
        .replace("<data>", tree.dataDir())
        .replace("<trace>", tree.traceFile());
    QCOMPARE(tree.environment(environment).value(name), expected);
}

void TestRunTree::testLauncherRunsTheDaemonUnderTheTool()
{
    RunTree::Sources sources = m_sources;
    // A tool that prints the words it was given, quotes and all.
    sources.wrapCommand = QStringList{"sh", "-c", "printf '[%s]' \"$TOOL_MARK\" \"$0\" \"$@\"", "-"};
    RunTree tree;
    QString error;
    QVERIFY2(tree.create(m_treeDir.filePath("launcher"), sources, &error), qPrintable(error));

    QProcess launcher;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("TOOL_MARK", "env kept");
    launcher.setProcessEnvironment(environment);
    launcher.start(tree.daemon(), {"-n", "it's", "$HOME \\ \"x\""});
    QVERIFY(launcher.waitForFinished());
    QCOMPARE(launcher.exitCode(), 0);
    QCOMPARE(QString::fromUtf8(launcher.readAllStandardOutput()),
             "[env kept][-][" + m_sources.daemon + "][-n][it's][$HOME \\ \"x\"]");
}

QTEST_GUILESS_MAIN(TestRunTree)
#include "tst_runtree.moc"
