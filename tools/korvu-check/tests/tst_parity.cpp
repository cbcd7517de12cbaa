// Runs every scenario of the scripted daemon through korvu-check twice, as
// one suite process and in shards (-j auto), and compares the verdicts and
// messages of every function and row. They may differ only where a fault
// crosses rows, so that the sharded run sees it elsewhere or not at all; those
// scenarios stand in parity-differences.json with the functions whose rows
// differ and the reason.
#include "junitfile.h"
#include "networkisolation.h"
#include "runpool.h"
#include "scenariocheck.h"

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

// What legitimately differs between one daemon for the whole run and a fresh
// daemon per shard: the ids the scripted daemon counts out per process, the
// ids of the requests that replies echo (the n-th pseudo-random number of the
// suite process), and clock readings.
QString normalised(QString text)
{
    static const QRegularExpression countedIds(QStringLiteral("(7e1e0000|de11ce00)-0000-4000-8000-[0-9a-f]{12}"),
                                               QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression requestIds(QStringLiteral("\"id\": \\d+"));
    static const QRegularExpression seconds(QStringLiteral("\\b\\d{10}\\b"));
    return text.replace(countedIds, QStringLiteral("\\1-<counted>"))
        .replace(requestIds, QStringLiteral("\"id\": <request>"))
        .replace(seconds, QStringLiteral("<seconds>"));
}

// Every function and row with its verdict and message.
QMap<QString, QString> outcomes(const QString &junit)
{
    QMap<QString, QString> outcomes;
    const JunitFile report = JunitFile::read(junit);
    if (!report.error.isEmpty())
        outcomes.insert(QStringLiteral("JUnit report"), report.error);
    for (const JunitFile::TestCase &testCase : report.cases) {
        outcomes.insert(testCase.name(), normalised(QStringList{
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
    // korvu-check's arguments for the run of a scenario as one suite process or in shards.
    QStringList checkArguments(const QString &scenario, bool sharded) const;
    QString junitFile(const QString &scenario, bool sharded) const;
    // Why the two runs of a scenario do not compare as known; empty when they do.
    QString mismatch(const QString &scenario, const CheckProcess::Result &serialRun,
                     const CheckProcess::Result &shardedRun) const;

    QTemporaryDir m_dir;
    QStringList m_scenarios;
    QHash<QString, KnownDifference> m_known;
    QHash<QString, CheckProcess *> m_serialRuns;
    QHash<QString, CheckProcess *> m_shardedRuns;
};

void TestParity::initTestCase()
{
    QVERIFY(m_dir.isValid());
    if (!NetworkIsolation::detect().isAvailable())
        QSKIP("Private network namespaces are not available here.");

    QFile table(QStringLiteral(KORVU_PARITY_DIFFERENCES));
    QVERIFY2(table.open(QIODevice::ReadOnly), qPrintable(table.fileName()));
    QJsonParseError error;
    const QJsonArray known = QJsonDocument::fromJson(table.readAll(), &error).array();
    QVERIFY2(error.error == QJsonParseError::NoError, qPrintable(error.errorString()));
    for (const QJsonValue &entry : known) {
        const QJsonObject object = entry.toObject();
        QStringList functions;
        for (const QJsonValue &function : object.value("functions").toArray())
            functions.append(function.toString());
        m_known.insert(object.value("scenario").toString(), {functions, object.value("reason").toString()});
    }

    m_scenarios = QDir(ScenarioCheck::directory()).entryList({QStringLiteral("*.json")}, QDir::Files, QDir::Name);
    QVERIFY2(!m_scenarios.isEmpty(), qPrintable(ScenarioCheck::directory()));
    RunPool serialPool(serialRunsAtOnce);
    RunPool shardedPool(shardedRunsAtOnce);
    for (const QString &scenario : qAsConst(m_scenarios)) {
        m_serialRuns.insert(scenario,
                            ScenarioCheck::create(scenario, checkArguments(scenario, false), serialTimeoutMsecs, this));
        m_shardedRuns.insert(
            scenario, ScenarioCheck::create(scenario, checkArguments(scenario, true), shardedTimeoutMsecs, this));
    }
    // The longest serial runs first, so that they do not decide the end.
    QStringList bySlowness = m_scenarios;
    std::stable_partition(bySlowness.begin(), bySlowness.end(),
                          [](const QString &scenario) { return scenario.startsWith(QLatin1String("gate-never")); });
    for (const QString &scenario : qAsConst(bySlowness)) {
        serialPool.add(m_serialRuns.value(scenario));
        shardedPool.add(m_shardedRuns.value(scenario));
    }
    serialPool.start();
    shardedPool.start();
    QVERIFY2(shardedPool.waitForAll(allRunsTimeoutMsecs) && serialPool.waitForAll(allRunsTimeoutMsecs),
             "the runs did not end in time");
}

QStringList TestParity::checkArguments(const QString &scenario, bool sharded) const
{
    const QStringList arguments = {"--junit", junitFile(scenario, sharded)};
    return sharded ? arguments + QStringList{"-j", "auto"} : arguments;
}

QString TestParity::junitFile(const QString &scenario, bool sharded) const
{
    return m_dir.filePath(scenario + (sharded ? QStringLiteral(".j.xml") : QStringLiteral(".serial.xml")));
}

QString TestParity::mismatch(const QString &scenario, const CheckProcess::Result &serialRun,
                             const CheckProcess::Result &shardedRun) const
{
    const QMap<QString, QString> serial = outcomes(junitFile(scenario, false));
    const QMap<QString, QString> sharded = outcomes(junitFile(scenario, true));
    QStringList names = serial.keys() + sharded.keys();
    names.removeDuplicates();
    QStringList details;
    bool known = true;
    for (const QString &name : qAsConst(names)) {
        const QString inSerial = serial.value(name, QStringLiteral("(not run)"));
        const QString inShards = sharded.value(name, QStringLiteral("(not run)"));
        if (inSerial == inShards)
            continue;
        known = known && m_known.value(scenario).functions.contains(functionOf(name));
        details.append(QStringLiteral("%1\n   serial: %2\n   -j:     %3")
                           .arg(name, QString(inSerial).replace('\n', QStringLiteral("\\n")),
                                QString(inShards).replace('\n', QStringLiteral("\\n"))));
    }
    if (details.isEmpty() && serialRun.status != shardedRun.status)
        details.append(QStringLiteral("exit status: serial %1, -j %2").arg(serialRun.status).arg(shardedRun.status));
    const bool expected = m_known.contains(scenario) ? !details.isEmpty() && known : details.isEmpty();
    if (expected)
        return QString();
    return QStringLiteral("known to differ in: %1\n%2\n--- serial:\n%3\n--- -j:\n%4")
        .arg(m_known.value(scenario).functions.join(QStringLiteral(", ")), details.join('\n'),
             serialRun.out + serialRun.err, shardedRun.out + shardedRun.err);
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

    QString problem = mismatch(scenario, m_serialRuns.value(scenario)->result(),
                               m_shardedRuns.value(scenario)->result());
    for (int attempt = 2; attempt <= attempts && !problem.isEmpty(); ++attempt) {
        qInfo().noquote() << "Running" << scenario << "again, attempt" << attempt << "of" << attempts;
        const CheckProcess::Result serialRun = ScenarioCheck::run(scenario, checkArguments(scenario, false),
                                                                  serialTimeoutMsecs);
        const CheckProcess::Result shardedRun = ScenarioCheck::run(scenario, checkArguments(scenario, true),
                                                                   shardedTimeoutMsecs);
        problem = mismatch(scenario, serialRun, shardedRun);
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
