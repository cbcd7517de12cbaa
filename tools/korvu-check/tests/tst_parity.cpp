// Runs every scenario of the scripted daemon through korvu-check twice, as
// one suite process and in shards (-j auto), and compares the verdicts and
// messages of every function and row. They may differ only where a fault
// crosses rows, so that the sharded run sees it elsewhere or not at all; those
// scenarios stand in parity-differences.json with the functions whose rows
// differ and the reason.
//
// With KORVU_PARITY_BASELINE_BUILD naming another build tree of this project
// (a Qt 5 build, when this one is built with Qt 6), the two runs are instead
// that tree's suite against its scripted daemon and this tree's suite against
// this one's, both in shards, and nothing may differ.
#include "run/isolation/networkisolation.h"
#include "run/runpool.h"
#include "tests/junitfile.h"
#include "tests/scenariocheck.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

namespace {

// Serial runs mostly wait on the suite's fixed pauses, so many share the
// machine; sharded runs start a suite and a daemon per shard, so few do.
const int serialRunsAtOnce = 10;
const int shardedRunsAtOnce = 2;
const int serialTimeoutMsecs = 600000;
const int shardedTimeoutMsecs = 180000;
const int allRunsTimeoutMsecs = 1500000;
// The suite compares a listed createdTimestamp with its own clock reading in
// whole seconds, without tolerance, so a second boundary between the two fails
// the row; a loaded machine meets one now and then. A scenario that does not
// compare as known is run again before it counts.
const int attempts = 3;

// Every function and row with its verdict and message.
QMap<QString, QString> outcomes(const QString &junit)
{
    QMap<QString, QString> outcomes;
    const JunitFile report = JunitFile::read(junit);
    if (!report.error.isEmpty())
        outcomes.insert(QStringLiteral("JUnit report"), report.error);
    for (const JunitFile::TestCase &testCase : report.cases) {
        outcomes.insert(testCase.name(), ScenarioCheck::normalised(QStringList{
                                             testCase.result, testCase.resultAttributes.value("type").toString(),
                                             testCase.resultAttributes.value("message").toString(), testCase.resultText}
                                                                       .join(QLatin1Char('\n'))));
    }
    return outcomes;
}

struct KnownDifference
{
    QStringList functions;
    QString reason;
};

QString functionOf(const QString &testName) { return testName.section(QLatin1Char('('), 0, 0); }

// One of the two runs of each scenario.
struct Side
{
    QString name;
    QStringList suiteArguments; // korvu-check's --suite and plug-ins, or none for this build's
    QString daemon; // empty: this build's scripted daemon
    bool sharded = false;
    int runsAtOnce = 0;
    int timeoutMsecs = 0;
};

Side serialSide() { return {QStringLiteral("serial"), {}, {}, false, serialRunsAtOnce, serialTimeoutMsecs}; }

Side shardedSide(const QString &name) { return {name, {}, {}, true, shardedRunsAtOnce, shardedTimeoutMsecs}; }

Side baselineSide(const QString &buildDir)
{
    Side side = shardedSide(QStringLiteral("baseline"));
    const QDir build(buildDir);
    // That tree's plug-ins too: korvu-check refuses a daemon and plug-ins of two Qt majors.
    side.suiteArguments = QStringList{
        QStringLiteral("--suite"),      build.filePath(QStringLiteral("tests/auto/deliveries/testdeliveries")),
        QStringLiteral("--mocks"),      build.filePath(QStringLiteral("tests/mocks")),
        QStringLiteral("--experience"), build.filePath(QStringLiteral("experience"))};
    side.daemon = build.filePath(QStringLiteral("tests/selftest/scripted/korvud"));
    return side;
}

} // namespace

class TestParity : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void testOnlyCrossRowFaultsDiffer_data();
    void testOnlyCrossRowFaultsDiffer();
    void testKnownDifferencesNameScenarios();

private:
    // korvu-check's arguments for the run of a scenario on one side.
    QStringList checkArguments(const QString &scenario, int side) const;
    QString junitFile(const QString &scenario, int side) const;
    CheckProcess::Result run(const QString &scenario, int side) const;
    // Why the two runs of a scenario do not compare as known; empty when they do.
    QString mismatch(const QString &scenario, const CheckProcess::Result &firstRun,
                     const CheckProcess::Result &secondRun) const;

    QTemporaryDir m_dir;
    QStringList m_scenarios;
    QHash<QString, KnownDifference> m_known;
    Side m_sides[2];
    QHash<QString, CheckProcess *> m_runs[2];
};

void TestParity::initTestCase()
{
    QVERIFY(m_dir.isValid());
    if (!NetworkIsolation::detect().isAvailable())
        QSKIP("Private network namespaces are not available here.");

    const QString baseline = qEnvironmentVariable("KORVU_PARITY_BASELINE_BUILD");
    if (baseline.isEmpty()) {
        m_sides[0] = serialSide();
        m_sides[1] = shardedSide(QStringLiteral("-j"));
    } else {
        m_sides[0] = baselineSide(baseline);
        m_sides[1] = shardedSide(QStringLiteral("this build"));
    }
    // Two builds see the same faults in the same rows: no difference is known between them.
    QJsonArray known;
    if (baseline.isEmpty()) {
        QFile table(QStringLiteral(KORVU_PARITY_DIFFERENCES));
        QVERIFY2(table.open(QIODevice::ReadOnly), qPrintable(table.fileName()));
        QJsonParseError error;
        known = QJsonDocument::fromJson(table.readAll(), &error).array();
        QVERIFY2(error.error == QJsonParseError::NoError, qPrintable(error.errorString()));
    }
    for (const QJsonValue &entry : qAsConst(known)) {
        const QJsonObject object = entry.toObject();
        QStringList functions;
        for (const QJsonValue &function : object.value("functions").toArray())
            functions.append(function.toString());
        m_known.insert(object.value("scenario").toString(), {functions, object.value("reason").toString()});
    }

    m_scenarios = QDir(ScenarioCheck::directory()).entryList({QStringLiteral("*.json")}, QDir::Files, QDir::Name);
    QVERIFY2(!m_scenarios.isEmpty(), qPrintable(ScenarioCheck::directory()));
    RunPool firstPool(m_sides[0].runsAtOnce);
    RunPool secondPool(m_sides[1].runsAtOnce);
    RunPool *pools[] = {&firstPool, &secondPool};
    for (const QString &scenario : qAsConst(m_scenarios)) {
        for (int side = 0; side < 2; ++side) {
            m_runs[side].insert(scenario,
                                ScenarioCheck::create(scenario, checkArguments(scenario, side),
                                                      m_sides[side].timeoutMsecs, this, m_sides[side].daemon));
        }
    }
    // The longest runs first, so that they do not decide the end.
    QStringList bySlowness = m_scenarios;
    std::stable_partition(bySlowness.begin(), bySlowness.end(),
                          [](const QString &scenario) { return scenario.startsWith(QLatin1String("gate-never")); });
    for (const QString &scenario : qAsConst(bySlowness)) {
        for (int side = 0; side < 2; ++side)
            pools[side]->add(m_runs[side].value(scenario));
    }
    firstPool.start();
    secondPool.start();
    QVERIFY2(secondPool.waitForAll(allRunsTimeoutMsecs) && firstPool.waitForAll(allRunsTimeoutMsecs),
             "the runs did not end in time");
}

QStringList TestParity::checkArguments(const QString &scenario, int side) const
{
    const QStringList arguments = m_sides[side].suiteArguments + QStringList{"--junit", junitFile(scenario, side)};
    return m_sides[side].sharded ? arguments + QStringList{"-j", "auto"} : arguments;
}

QString TestParity::junitFile(const QString &scenario, int side) const
{
    return m_dir.filePath(QStringLiteral("%1.%2.xml").arg(scenario).arg(side));
}

CheckProcess::Result TestParity::run(const QString &scenario, int side) const
{
    return ScenarioCheck::run(scenario, checkArguments(scenario, side), m_sides[side].timeoutMsecs,
                              m_sides[side].daemon);
}

QString TestParity::mismatch(const QString &scenario, const CheckProcess::Result &firstRun,
                             const CheckProcess::Result &secondRun) const
{
    const QMap<QString, QString> first = outcomes(junitFile(scenario, 0));
    const QMap<QString, QString> second = outcomes(junitFile(scenario, 1));
    const QString firstLabel = m_sides[0].name + QLatin1Char(':');
    const QString secondLabel = m_sides[1].name + QLatin1Char(':');
    const int labelWidth = qMax(firstLabel.size(), secondLabel.size());
    QStringList names = first.keys() + second.keys();
    names.removeDuplicates();
    QStringList details;
    bool known = true;
    for (const QString &name : qAsConst(names)) {
        const QString inFirst = first.value(name, QStringLiteral("(not run)"));
        const QString inSecond = second.value(name, QStringLiteral("(not run)"));
        if (inFirst == inSecond)
            continue;
        known = known && m_known.value(scenario).functions.contains(functionOf(name));
        details.append(
            QStringLiteral("%1\n   %2 %3\n   %4 %5")
                .arg(name, firstLabel.leftJustified(labelWidth), QString(inFirst).replace('\n', QStringLiteral("\\n")),
                     secondLabel.leftJustified(labelWidth), QString(inSecond).replace('\n', QStringLiteral("\\n"))));
    }
    if (details.isEmpty() && firstRun.status != secondRun.status) {
        details.append(QStringLiteral("exit status: %1 %2, %3 %4")
                           .arg(m_sides[0].name)
                           .arg(firstRun.status)
                           .arg(m_sides[1].name)
                           .arg(secondRun.status));
    }
    const bool expected = m_known.contains(scenario) ? !details.isEmpty() && known : details.isEmpty();
    if (expected)
        return QString();
    return QStringLiteral("known to differ in: %1\n%2\n--- %3:\n%4\n--- %5:\n%6")
        .arg(m_known.value(scenario).functions.join(QStringLiteral(", ")), details.join('\n'), m_sides[0].name,
             firstRun.out + firstRun.err, m_sides[1].name, secondRun.out + secondRun.err);
}

void TestParity::testOnlyCrossRowFaultsDiffer_data()
{
    QTest::addColumn<QString>("scenario");
    for (const QString &scenario : qAsConst(m_scenarios))
        QTest::newRow(qPrintable(scenario)) << scenario;
}

void TestParity::testOnlyCrossRowFaultsDiffer()
{
    QFETCH(QString, scenario);

    QString problem = mismatch(scenario, m_runs[0].value(scenario)->result(), m_runs[1].value(scenario)->result());
    for (int attempt = 2; attempt <= attempts && !problem.isEmpty(); ++attempt) {
        qInfo().noquote() << "Running" << scenario << "again, attempt" << attempt << "of" << attempts;
        const CheckProcess::Result firstRun = run(scenario, 0);
        const CheckProcess::Result secondRun = run(scenario, 1);
        problem = mismatch(scenario, firstRun, secondRun);
    }
    if (!problem.isEmpty()) {
        // Longer than a failure message may be.
        qWarning().noquote() << problem;
        QFAIL(qPrintable(scenario + QStringLiteral(" differs otherwise than known; the differences are above")));
    }
}

void TestParity::testKnownDifferencesNameScenarios()
{
    for (auto it = m_known.cbegin(); it != m_known.cend(); ++it) {
        QVERIFY2(m_scenarios.contains(it.key()), qPrintable(it.key()));
        QVERIFY2(!it.value().reason.isEmpty(), qPrintable(it.key() + " has no reason"));
    }
}

QTEST_GUILESS_MAIN(TestParity)
#include "tst_parity.moc"
