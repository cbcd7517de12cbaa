#include "run/suiteexitstatuses.h"

#include <QtTest>

using JobStatuses = QVector<QPair<int, int>>; // job, exit status
Q_DECLARE_METATYPE(JobStatuses)

// What the suite processes' own exit statuses add to korvu-check's.
class TestSuiteExitStatuses : public QObject
{
    Q_OBJECT
private slots:
    void testFacts_data();
    void testFacts();
};

void TestSuiteExitStatuses::testFacts_data()
{
    QTest::addColumn<JobStatuses>("ended"); // in the order the processes ended
    QTest::addColumn<QVector<int>>("jobsWithFailures");
    QTest::addColumn<int>("status"); // of korvu-check, with no failure counted

    QTest::newRow("all clean") << JobStatuses{{0, 0}, {1, 0}} << QVector<int>() << 0;
    QTest::newRow("a failed verdict explains its status") << JobStatuses{{0, 1}} << QVector<int>{0} << 0;
    QTest::newRow("a status no verdict explains") << JobStatuses{{0, 1}, {1, 3}} << QVector<int>{0} << 3;
    QTest::newRow("the first job's death, whichever ended first")
        << JobStatuses{{1, 128 + 9}, {0, 128 + 11}} << QVector<int>() << 128 + 11;
    QTest::newRow("a death before a problem") << JobStatuses{{0, 2}, {1, 128 + 6}} << QVector<int>() << 128 + 6;
}

void TestSuiteExitStatuses::testFacts()
{
    QFETCH(JobStatuses, ended);
    QFETCH(QVector<int>, jobsWithFailures);
    QFETCH(int, status);

    SuiteExitStatuses statuses;
    for (int job : qAsConst(jobsWithFailures))
        statuses.verdictFailed(job);
    for (const QPair<int, int> &job : qAsConst(ended))
        statuses.processEnded(job.first, job.second);
    ExitStatus::Facts facts;
    statuses.addTo(&facts);
    QCOMPARE(ExitStatus::of(facts), status);
}

QTEST_APPLESS_MAIN(TestSuiteExitStatuses)
#include "tst_suiteexitstatuses.moc"
