#include "run/runpool.h"

#include <QtTest>

namespace {

// A job that does only what the test makes it do.
class ManualJob : public PoolJob
{
    Q_OBJECT
public:
    void start() override { started = true; }
    bool started = false;
};

} // namespace

class TestRunPool : public QObject
{
    Q_OBJECT
private slots:
    void testStartsWaitForStartUps();
    void testJobsBehindWaitForTheLeadingOnes();
};

void TestRunPool::testStartsWaitForStartUps()
{
    RunPool pool(3);
    pool.setMaximumStarting(2);
    ManualJob jobs[4];
    for (ManualJob &job : jobs)
        pool.add(&job);
    auto started = [&jobs] {
        return std::count_if(std::begin(jobs), std::end(jobs), [](const ManualJob &job) { return job.started; });
    };

    pool.start();
    QCOMPARE(started(), 2);
    emit jobs[0].startedUp();
    QCOMPARE(started(), 3);
    // Three run; a start-up that ends frees no room to run.
    emit jobs[1].startedUp();
    QCOMPARE(started(), 3);
    // An end frees both, whether or not the job started up.
    emit jobs[2].finished();
    QCOMPARE(started(), 4);
}

void TestRunPool::testJobsBehindWaitForTheLeadingOnes()
{
    RunPool pool(6);
    ManualJob leading[2];
    ManualJob behind[2];
    ManualJob later;
    pool.add(&leading[0]);
    pool.add(&leading[1]);
    pool.addBehind(&behind[0]);
    pool.addBehind(&behind[1]);
    // Added after the jobs behind, so they do not wait for it.
    pool.add(&later);

    pool.start();
    QVERIFY(leading[0].started && leading[1].started);
    QVERIFY(!behind[0].started && !behind[1].started);
    QVERIFY(!later.started);
    emit leading[0].startedUp();
    QVERIFY(!behind[0].started);
    // An end counts as a start-up; both behind start together.
    emit leading[1].finished();
    QVERIFY(behind[0].started && behind[1].started);
    QVERIFY(later.started);
}

QTEST_GUILESS_MAIN(TestRunPool)
#include "tst_runpool.moc"
