#include "korvudprocess.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

// Runs the real suite against the bundled korvud and its plug-ins and checks
// what a user relies on: the hooks pass, the connection is logged, and no
// daemon outlives the run.
class TestBundledSuite : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void suiteHooksPassAndDaemonIsGone_data();
    void suiteHooksPassAndDaemonIsGone();

private:
    static QStringList processesUsingDataDirectory(const QString &dataDirectory);
};

void TestBundledSuite::initTestCase()
{
    QVERIFY2(QFile::exists(TESTDELIVERIES_PATH), TESTDELIVERIES_PATH);
    QVERIFY2(QFile::exists(KORVUD_DIR "/korvud"), KORVUD_DIR);
    QVERIFY2(!KorvudProcess::portAcceptsConnections(), "port 2222 is taken before the suite ran");
}

void TestBundledSuite::suiteHooksPassAndDaemonIsGone_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QStringList>("expectedPasses");

    QTest::newRow("one function selected")
        << QStringList{"testAvailable"}
        << QStringList{"initTestCase()", "testAvailable(No gate, no scanner)", "testAvailable(No gate, scanner)",
                       "testAvailable(gate, scanner)", "cleanupTestCase()"};
    QTest::newRow("restarting function") << QStringList{
        "testDeliveryPersistence"} << QStringList{"initTestCase()", "testDeliveryPersistence()", "cleanupTestCase()"};
}

void TestBundledSuite::suiteHooksPassAndDaemonIsGone()
{
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, expectedPasses);

    QTemporaryDir dataDirectory;
    QVERIFY(dataDirectory.isValid());

    QProcess suite;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("PATH", QString(KORVUD_DIR) + ':' + environment.value("PATH"));
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    environment.insert("KORVU_DATA_DIR", dataDirectory.path());
    suite.setProcessEnvironment(environment);
    suite.setWorkingDirectory(TESTDELIVERIES_DIR);
    suite.setProcessChannelMode(QProcess::MergedChannels);
    suite.start(TESTDELIVERIES_PATH, arguments);
    QVERIFY(suite.waitForStarted());
    QVERIFY(suite.waitForFinished(60000));
    const QString log = QString::fromUtf8(suite.readAll());

    QVERIFY2(suite.exitStatus() == QProcess::NormalExit && suite.exitCode() == 0, qPrintable(log));
    for (const QString &name : qAsConst(expectedPasses))
        QVERIFY2(log.contains("PASS   : TestDeliveries::" + name), qPrintable(name + " did not pass:\n" + log));
    QVERIFY2(log.contains("QDEBUG : TestDeliveries::initTestCase() Connected to korvu"), qPrintable(log));

    QVERIFY2(!KorvudProcess::portAcceptsConnections(),
             "a daemon still listens on 127.0.0.1:2222 after the suite ended");
    const QStringList leftovers = processesUsingDataDirectory(dataDirectory.path());
    QVERIFY2(leftovers.isEmpty(), qPrintable("korvud outlived the suite: pids " + leftovers.join(", ")));
}

// A daemon started by the suite inherits its KORVU_DATA_DIR, which is unique to this row.
QStringList TestBundledSuite::processesUsingDataDirectory(const QString &dataDirectory)
{
    const QByteArray marker = "KORVU_DATA_DIR=" + QFile::encodeName(dataDirectory);
    QStringList pids;
    const QStringList entries = QDir("/proc").entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &entry : entries) {
        bool isPid = false;
        entry.toInt(&isPid);
        if (!isPid)
            continue;
        QFile environ("/proc/" + entry + "/environ");
        if (!environ.open(QIODevice::ReadOnly))
            continue;
        if (environ.readAll().split('\0').contains(marker))
            pids.append(entry);
    }
    return pids;
}

QTEST_GUILESS_MAIN(TestBundledSuite)
#include "tst_bundledsuite.moc"
