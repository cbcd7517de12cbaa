#include "reports/lastfailedrecord.h"
#include "results/runresults.h"
#include "tests/verdicts.h"

#include <QtTest>

namespace {

using Outcome = TestVerdict::Outcome;

// A run of the rows given as "function:row=PASS" or "=FAIL".
RunResults resultsOf(const QStringList &runs)
{
    RunResults results;
    results.addVerdict(verdict(Outcome::Pass, QStringLiteral("initTestCase")), {});
    for (const QString &run : runs) {
        const QString word = run.section(QLatin1Char('='), 0, 0);
        const Outcome outcome = run.endsWith(QLatin1String("=FAIL")) ? Outcome::Fail : Outcome::Pass;
        results.addVerdict(verdict(outcome, word.section(QLatin1Char(':'), 0, 0), word.section(QLatin1Char(':'), 1)),
                           {});
    }
    return results;
}

} // namespace

// What --last-failed runs: the failures kept per daemon between runs.
class TestLastFailedRecord : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void testUpdate_data();
    void testUpdate();
    void testRead_data();
    void testRead();

private:
    QTemporaryDir m_cache;
    QString m_daemon;
};

void TestLastFailedRecord::initTestCase()
{
    QVERIFY(m_cache.isValid());
    qputenv("XDG_CACHE_HOME", QFile::encodeName(m_cache.path()));
    m_daemon = m_cache.filePath(QStringLiteral("korvud"));
    QFile daemon(m_daemon);
    QVERIFY(daemon.open(QIODevice::WriteOnly));
}

// Every row starts without a record.
void TestLastFailedRecord::init()
{
    QVERIFY(QDir(m_cache.filePath(QStringLiteral("korvu-check"))).removeRecursively());
}

void TestLastFailedRecord::testUpdate_data()
{
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<QStringList>("runs");
    QTest::addColumn<QStringList>("after");

    QTest::newRow("nothing before: the failures of the run")
        << QStringList() << QStringList{"testDelivery:DPD Prio=FAIL", "testRemoveDelivery=FAIL", "testAvailable:x=PASS"}
        << QStringList{"testDelivery:DPD Prio", "testRemoveDelivery"};
    QTest::newRow("a row that passes now leaves, one not run stays")
        << QStringList{"testDelivery:DPD Prio", "testRemoveDelivery"} << QStringList{"testRemoveDelivery=PASS"}
        << QStringList{"testDelivery:DPD Prio"};
    QTest::newRow("still failing is kept once")
        << QStringList{"testRemoveDelivery"} << QStringList{"testRemoveDelivery=FAIL"}
        << QStringList{"testRemoveDelivery"};
    QTest::newRow("a hook is no selection word") << QStringList() << QStringList{"initTestCase=FAIL"} << QStringList();
    QTest::newRow("a row with parentheses in its name")
        << QStringList() << QStringList{"testDelivery:granted (code with spaces)=FAIL"}
        << QStringList{"testDelivery:granted (code with spaces)"};
}

void TestLastFailedRecord::testUpdate()
{
    QFETCH(QStringList, before);
    QFETCH(QStringList, runs);
    QFETCH(QStringList, after);

    QString error;
    LastFailedRecord record = LastFailedRecord::read(m_daemon, &error);
    record.update(resultsOf(before.replaceInStrings(QRegularExpression("$"), "=FAIL")), {});
    QVERIFY2(record.write(&error), qPrintable(error));
    record = LastFailedRecord::read(m_daemon, &error);
    record.update(resultsOf(runs), {QStringLiteral("testDelivery")});
    QVERIFY2(record.write(&error), qPrintable(error));

    const LastFailedRecord read = LastFailedRecord::read(m_daemon, &error);
    QCOMPARE(error, QString());
    QCOMPARE(read.failed(), after);
    QCOMPARE(read.lastSelection(), QStringList{QStringLiteral("testDelivery")});
}

void TestLastFailedRecord::testRead_data()
{
    QTest::addColumn<QByteArray>("content"); // of this daemon's record; empty: none
    QTest::addColumn<QString>("daemon"); // the daemon read for
    QTest::addColumn<QStringList>("failed");
    QTest::addColumn<bool>("warned");

    const QByteArray written = R"({"daemon": "%1", "selection": [], "failed": ["testRemoveDelivery"]})";
    QTest::newRow("the same daemon by another path")
        << written << "./sub/../korvud" << QStringList{"testRemoveDelivery"} << false;
    QTest::newRow("another daemon has none") << written << "other/korvud" << QStringList() << false;
    QTest::newRow("no record") << QByteArray() << "korvud" << QStringList() << false;
    QTest::newRow("cut short") << QByteArray(R"({"daemon": "%1", "fai)") << "korvud" << QStringList() << true;
    QTest::newRow("not a record") << QByteArray("[1, 2]") << "korvud" << QStringList() << true;
}

void TestLastFailedRecord::testRead()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, daemon);
    QFETCH(QStringList, failed);
    QFETCH(bool, warned);

    QVERIFY(QDir(m_cache.path()).mkpath(QStringLiteral("sub")));
    QString warning;
    const QString path = LastFailedRecord::read(m_daemon, &warning).filePath();
    if (!content.isEmpty()) {
        QFile file(path);
        QVERIFY(QDir().mkpath(QFileInfo(path).path()));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content.replace("%1", QFile::encodeName(m_daemon)));
    }

    const LastFailedRecord record = LastFailedRecord::read(QDir(m_cache.path()).filePath(daemon), &warning);
    QCOMPARE(record.failed(), failed);
    QCOMPARE(!warning.isEmpty(), warned);
    if (warned)
        QVERIFY2(warning.contains(path), qPrintable(warning));
}

QTEST_GUILESS_MAIN(TestLastFailedRecord)
#include "tst_lastfailedrecord.moc"
