// korvu-check --watch with the real suite: a copy of the bundled daemon is
// replaced by the scripted daemon playing a fault, then removed and written
// anew in pieces, then replaced by one that never listens, and SIGINT ends
// the watch during that run.
#include "tests/scenariocheck.h"

#include <QtTest>

#include <csignal>

namespace {

const int runMsecs = 90000;
const QString faultyRow = QStringLiteral("testAvailable(gate, scanner)");
// The three rows and the hooks.
const QString failedSummary = QStringLiteral("\n4 passed, 1 failed, 0 skipped\n");
const QString passedSummary = QStringLiteral("\n5 passed, 0 failed, 0 skipped\n");

QByteArray readAll(const QString &fileName)
{
    QFile file(fileName);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestWatch : public QObject
{
    Q_OBJECT
private slots:
    void testRerunsOnChange();
    void testRefusedRunEndsTheWatch();
    void cleanup();

private:
    // Reads korvu-check's output until text appears after what was read
    // before; returns what came up to and with it.
    QString waitFor(const QString &text);

    QProcess m_check;
    QString m_out;
    int m_read = 0;
};

QString TestWatch::waitFor(const QString &text)
{
    QElapsedTimer timer;
    timer.start();
    while (m_out.indexOf(text, m_read) < 0 && timer.elapsed() < runMsecs && m_check.state() != QProcess::NotRunning)
        QTest::qWait(50);
    m_out += QString::fromUtf8(m_check.readAllStandardOutput());
    const int at = m_out.indexOf(text, m_read);
    if (at < 0)
        return QString();
    const QString part = m_out.mid(m_read, at + text.size() - m_read);
    m_read = at + text.size();
    return part;
}

void TestWatch::testRerunsOnChange()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(QDir().mkpath(dir.filePath("tmp")));
    const QString daemon = dir.filePath("korvud");
    const QByteArray good = readAll(KORVU_BUNDLED_DAEMON);
    QVERIFY(!good.isEmpty());
    QVERIFY(QFile::copy(KORVU_BUNDLED_DAEMON, daemon));
    const QString junit = dir.filePath("korvu-check.xml");

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    // Only the scripted daemon plays it; the bundled one ignores it.
    environment.insert(QStringLiteral("KORVU_SCENARIO"),
                       QDir(ScenarioCheck::directory()).filePath("status-never-available.json"));
    // Where the run trees go, to see that none is left.
    environment.insert(QStringLiteral("TMPDIR"), dir.filePath("tmp"));
    m_check.setProcessEnvironment(environment);
    connect(&m_check, &QProcess::readyReadStandardOutput, this,
            [this] { m_out += QString::fromUtf8(m_check.readAllStandardOutput()); });
    m_check.start(KORVU_CHECK_BINARY,
                  {"--watch", "--daemon", daemon, "-j", "auto", "--junit", junit, "--", "testAvailable"});

    QString run = waitFor("korvu-check: watching");
    QVERIFY2(run.contains(passedSummary), qPrintable(m_out + m_check.readAllStandardError()));
    QVERIFY(!run.contains("since the last run"));

    // As a linker that writes a temporary file and renames it over the old one.
    QVERIFY(QFile::copy(KORVU_SCRIPTED_DAEMON, daemon + ".tmp"));
    QCOMPARE(::rename(qPrintable(daemon + ".tmp"), qPrintable(daemon)), 0);
    run = waitFor("korvu-check: watching");
    QVERIFY2(run.contains("korvu-check: changed: " + daemon), qPrintable(run));
    QVERIFY2(run.contains("FAIL  " + faultyRow) && run.contains(failedSummary), qPrintable(run));
    QVERIFY2(run.contains("korvu-check: since the last run: newly failing " + faultyRow + "\n"), qPrintable(run));
    QVERIFY(readAll(junit).contains("<failure"));

    // A build whose daemon never comes up runs no row, and the next run is
    // compared with the last one that did.
    QFile broken(daemon + ".tmp");
    QVERIFY(broken.open(QIODevice::WriteOnly));
    broken.write("#!/bin/sh\nexit 3\n");
    broken.close();
    QVERIFY(broken.setPermissions(broken.permissions() | QFile::ExeOwner));
    QCOMPARE(::rename(qPrintable(daemon + ".tmp"), qPrintable(daemon)), 0);
    run = waitFor("korvu-check: watching");
    QVERIFY2(run.contains("korvu-check: korvud did not come up, so this run is not compared\n"), qPrintable(run));

    // As a build that removes the daemon and writes it anew in pieces, executable only at the end.
    QVERIFY(QFile::remove(daemon));
    waitFor("korvu-check: waiting until the parts are in place: daemon not found: " + daemon);
    QFile file(daemon);
    QVERIFY(file.open(QIODevice::WriteOnly));
    const int piece = good.size() / 4 + 1;
    for (int at = 0; at < good.size(); at += piece) {
        file.write(good.mid(at, piece));
        file.flush();
        QTest::qWait(100);
    }
    file.close();
    QTest::qWait(1500);
    QVERIFY(file.setPermissions(file.permissions() | QFile::ExeOwner));
    run = waitFor("korvu-check: watching");
    QVERIFY2(run.contains(passedSummary), qPrintable(run));
    QVERIFY2(run.contains("korvu-check: since the last run: fixed " + faultyRow + "\n"), qPrintable(run));
    QVERIFY(!readAll(junit).contains("<failure"));

    // Each change ran the check once: no partly written daemon was run or
    // reported as failing.
    QCOMPARE(m_out.count("korvu-check: changed:"), 3);
    QCOMPARE(m_out.count("since the last run"), 2);

    // A daemon that never listens keeps the next run going until SIGINT stops
    // it; the status is that of the last run that completed.
    QFile hanging(daemon + ".tmp");
    QVERIFY(hanging.open(QIODevice::WriteOnly));
    // It ends with the process group of the suite that started it.
    hanging.write("#!/bin/sh\nexec sleep 60\n");
    hanging.close();
    QVERIFY(hanging.setPermissions(hanging.permissions() | QFile::ExeOwner));
    QCOMPARE(::rename(qPrintable(daemon + ".tmp"), qPrintable(daemon)), 0);
    QVERIFY(!waitFor(" against " + daemon).isEmpty());
    QCOMPARE(::kill(m_check.processId(), SIGINT), 0);
    QVERIFY(m_check.waitForFinished(runMsecs));
    QCOMPARE(m_check.exitStatus(), QProcess::NormalExit);
    QCOMPARE(m_check.exitCode(), 0);
    m_out += QString::fromUtf8(m_check.readAllStandardOutput());
    QVERIFY2(m_out.endsWith("korvu-check: stopped; the exit status is the last completed run's, 0\n"),
             qPrintable(m_out.right(500)));
    QCOMPARE(QDir(dir.filePath("tmp")).entryList({"korvu-check-*"}, QDir::AllEntries), QStringList());
}

// No change of the parts makes the suite have a function it lacks.
void TestWatch::testRefusedRunEndsTheWatch()
{
    m_check.start(KORVU_CHECK_BINARY, {"--watch", "--", "testNothing"});
    QVERIFY(m_check.waitForFinished(runMsecs));
    QCOMPARE(m_check.exitCode(), 2);
    QCOMPARE(QString::fromUtf8(m_check.readAllStandardError()),
             QStringLiteral("korvu-check: the suite has no test function 'testNothing'\n"));
    QVERIFY(!m_check.readAllStandardOutput().contains("korvu-check: watching"));
}

void TestWatch::cleanup()
{
    if (m_check.state() == QProcess::NotRunning)
        return;
    m_check.kill();
    m_check.waitForFinished();
}

QTEST_GUILESS_MAIN(TestWatch)
#include "tst_watch.moc"
