#include "suiterunner.h"

#include <QtTest>

namespace {

// A suite that writes the start of its log, then holds initTestCase until
// the test creates the file "go" in its folder.
const QByteArray heldSuite = R"(#!/bin/sh
echo '<?xml version="1.0" encoding="UTF-8"?>'
echo '<TestCase name="TestDeliveries">'
while [ ! -e go ]; do sleep 0.01; done
echo '<TestFunction name="initTestCase">'
echo '<Incident type="pass" file="" line="0" />'
echo '<Duration msecs="1"/></TestFunction>'
echo '<Duration msecs="2"/></TestCase>'
)";

} // namespace

class TestSuiteRunner : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void testStartUpEnds_data();
    void testStartUpEnds();

private:
    QTemporaryDir m_dir;
};

void TestSuiteRunner::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QFile suite(m_dir.filePath("suite"));
    QVERIFY(suite.open(QIODevice::WriteOnly));
    suite.write(heldSuite);
    suite.close();
    QVERIFY(suite.setPermissions(suite.permissions() | QFile::ExeOwner));
}

void TestSuiteRunner::testStartUpEnds_data()
{
    QTest::addColumn<bool>("includesDaemon");
    // A pool may start the next suite while this one waits for its daemon.
    QTest::newRow("once the suite runs") << false;
    // Under a slow tool the daemon's start is the costly part.
    QTest::newRow("once initTestCase has the daemon") << true;
}

void TestSuiteRunner::testStartUpEnds()
{
    QFETCH(bool, includesDaemon);
    QFile::remove(m_dir.filePath("go"));
    const NetworkIsolation none;
    SuiteRunner runner(
        {m_dir.filePath("suite"), {}, m_dir.path(), QProcessEnvironment::systemEnvironment(), includesDaemon}, none);
    QSignalSpy startedUp(&runner, &PoolJob::startedUp);
    QSignalSpy finished(&runner, &PoolJob::finished);
    runner.start();

    QTRY_VERIFY(!runner.testClass().isEmpty());
    QCOMPARE(startedUp.size(), includesDaemon ? 0 : 1);
    QFile go(m_dir.filePath("go"));
    QVERIFY(go.open(QIODevice::WriteOnly));
    go.close();
    QTRY_COMPARE(finished.size(), 1);
    QCOMPARE(startedUp.size(), 1);
    QCOMPARE(runner.exitStatus(), 0);
}

QTEST_GUILESS_MAIN(TestSuiteRunner)
#include "tst_suiterunner.moc"
