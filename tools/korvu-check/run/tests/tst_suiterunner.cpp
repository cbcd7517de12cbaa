#include "run/suiterunner.h"

#include <QtTest>

#include <csignal>

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

// Like heldSuite, but it first starts a process that outlives it, as a daemon
// does that the suite never stopped, and writes that process's id to "left".
const QByteArray leavingSuite = R"(#!/bin/sh
sleep 60 &
echo $! > left
echo '<?xml version="1.0" encoding="UTF-8"?>'
echo '<TestCase name="TestDeliveries">'
while [ ! -e go ]; do sleep 0.01; done
)";

// A suite that ends one row of testA, then with "during" (after "-o -,xml")
// logs a message of the next, and dies of SIGSEGV.
const QByteArray crashingSuite = R"(#!/bin/sh
echo '<?xml version="1.0" encoding="UTF-8"?>'
echo '<TestCase name="TestDeliveries">'
echo '<TestFunction name="testA">'
echo '<Incident type="pass" file="" line="0"><DataTag><![CDATA[r]]></DataTag></Incident>'
if [ "$3" = during ]; then
  echo '<Message type="qdebug" file="" line="0"><DataTag><![CDATA[s]]></DataTag><Description><![CDATA[x]]></Description></Message>'
fi
kill -SEGV $$
)";

bool writeScript(const QString &fileName, const QByteArray &text)
{
    QFile script(fileName);
    if (!script.open(QIODevice::WriteOnly) || script.write(text) != text.size())
        return false;
    script.close();
    return script.setPermissions(script.permissions() | QFile::ExeOwner);
}

// Gone, or only waiting to be reaped by whoever inherited it.
bool hasEnded(const QString &pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return true;
    const QByteArray line = stat.readAll();
    return line.mid(line.lastIndexOf(')') + 2, 1) == "Z";
}

} // namespace

class TestSuiteRunner : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void testStartUpEnds_data();
    void testStartUpEnds();
    void testWhatTheSuiteLeftEndsWithIt_data();
    void testWhatTheSuiteLeftEndsWithIt();
    void testBreakIsChargedToTheRowItCameIn_data();
    void testBreakIsChargedToTheRowItCameIn();

private:
    QTemporaryDir m_dir;
};

void TestSuiteRunner::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY(writeScript(m_dir.filePath("suite"), heldSuite));
    QVERIFY(writeScript(m_dir.filePath("leaving-suite"), leavingSuite));
    QVERIFY(writeScript(m_dir.filePath("crashing-suite"), crashingSuite));
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
        {m_dir.filePath("suite"), {}, m_dir.path(), QProcessEnvironment::systemEnvironment(), includesDaemon, 0, {}},
        none);
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

void TestSuiteRunner::testWhatTheSuiteLeftEndsWithIt_data()
{
    QTest::addColumn<bool>("interrupted");
    QTest::newRow("the suite ends by itself") << false;
    QTest::newRow("the suite is stopped") << true;
}

void TestSuiteRunner::testWhatTheSuiteLeftEndsWithIt()
{
    QFETCH(bool, interrupted);
    QFile::remove(m_dir.filePath("go"));
    QFile::remove(m_dir.filePath("left"));
    const NetworkIsolation none;
    SuiteRunner runner(
        {m_dir.filePath("leaving-suite"), {}, m_dir.path(), QProcessEnvironment::systemEnvironment(), false, 0, {}},
        none);
    QSignalSpy finished(&runner, &PoolJob::finished);
    runner.start();
    QTRY_VERIFY(!runner.testClass().isEmpty());
    QFile left(m_dir.filePath("left"));
    QVERIFY(left.open(QIODevice::ReadOnly));
    const QString pid = QString::fromLatin1(left.readAll().trimmed());
    QVERIFY(!hasEnded(pid));

    if (interrupted) {
        runner.interrupt(SIGINT);
    } else {
        QFile go(m_dir.filePath("go"));
        QVERIFY(go.open(QIODevice::WriteOnly));
    }
    QTRY_COMPARE(finished.size(), 1);
    QTRY_VERIFY2(hasEnded(pid), qPrintable(pid));
}

void TestSuiteRunner::testBreakIsChargedToTheRowItCameIn_data()
{
    QTest::addColumn<QString>("where");
    QTest::addColumn<QString>("testName");
    QTest::addColumn<QString>("description");

    QTest::newRow("during a row") << "during"
                                  << "testA(s)"
                                  << "crashing-suite died of signal 11 during testA(s)";
    // JUnit and CTRF would else hold the ended row twice.
    QTest::newRow("between two rows") << "between" << QString() << "crashing-suite died of signal 11 after testA(r)";
}

void TestSuiteRunner::testBreakIsChargedToTheRowItCameIn()
{
    QFETCH(QString, where);
    QFETCH(QString, testName);
    QFETCH(QString, description);

    const NetworkIsolation none;
    SuiteRunner runner({m_dir.filePath("crashing-suite"),
                        {where},
                        m_dir.path(),
                        QProcessEnvironment::systemEnvironment(),
                        false,
                        0,
                        {}},
                       none);
    QSignalSpy finished(&runner, &PoolJob::finished);
    runner.start();
    QTRY_COMPARE(finished.size(), 1);
    QVERIFY(runner.hasBreak());
    QCOMPARE(runner.suiteBreak().type, QStringLiteral("crash"));
    QCOMPARE(runner.suiteBreak().testName, testName);
    QCOMPARE(runner.suiteBreak().description, description);
}

QTEST_GUILESS_MAIN(TestSuiteRunner)
#include "tst_suiterunner.moc"
