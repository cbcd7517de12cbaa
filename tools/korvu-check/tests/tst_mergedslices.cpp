// Runs a selection of the suite against the scripted daemon as one run, and
// as three --shard slices put back together with korvu-check merge, as the
// CI recipes do; both must report the same.
#include "run/isolation/networkisolation.h"
#include "run/runpool.h"
#include "tests/junitfile.h"
#include "tests/scenariocheck.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

#include <memory>

namespace {

const int runTimeoutMsecs = 120000;
const int slices = 3;

// The summary from its failures on, with times and report paths made neutral.
QString summary(const QString &out)
{
    static const QRegularExpression times(QStringLiteral("\\b\\d+\\.\\d+( s)?\\b"));
    static const QRegularExpression reportPaths(QStringLiteral("(single|merged)\\.(xml|json)"));
    return ScenarioCheck::normalised(out.mid(out.indexOf(QLatin1String("\nFailures:\n"))))
        .replace(times, QStringLiteral("<time>"))
        .replace(reportPaths, QStringLiteral("<report>"));
}

// In the folder of documents the format's reference implementation validates.
QString document(const QString &name) { return CheckProcess::ctrfDocument(QStringLiteral("merged-slices-") + name); }

// "name: status" of every test of a CTRF report, in its order.
QStringList ctrfTests(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return {QStringLiteral("cannot read ") + fileName};
    QStringList tests;
    const QJsonArray all = QJsonDocument::fromJson(file.readAll())[QLatin1String("results")][QLatin1String("tests")]
                               .toArray();
    for (const QJsonValue &test : all)
        tests.append(test[QLatin1String("name")].toString() + QStringLiteral(": ")
                     + test[QLatin1String("status")].toString());
    return tests;
}

} // namespace

class TestMergedSlices : public QObject
{
    Q_OBJECT
private slots:
    void testMergedLikeOneRun();
    void testSliceWhoseDaemonNeverCameUp();

private:
    QTemporaryDir m_dir;
};

void TestMergedSlices::testMergedLikeOneRun()
{
    if (!NetworkIsolation::detect().isAvailable())
        QSKIP("Private network namespaces are not available here.");
    QVERIFY(m_dir.isValid());
    // Quick rows, and a granted row that the scenario fails with its traffic;
    // of testAddDelivery one that compares no creation time, which a loaded
    // machine now and then fails at a second boundary in one run but not the other.
    const QStringList selection = {"--", "testAvailable",
                                   "testAddDelivery:invalid name, valid gate, valid scanner, valid code",
                                   "testDelivery:wrong code", "testDelivery:granted (code with spaces)"};
    const QString scenario = QStringLiteral("codes-exact.json");

    RunPool pool(slices + 1);
    std::vector<std::unique_ptr<CheckProcess>> checks;
    checks.emplace_back(ScenarioCheck::create(
        scenario, QStringList{"--junit", m_dir.filePath("single.xml"), "--json", document("single.json")} + selection,
        runTimeoutMsecs));
    QStringList sliceFiles;
    for (int slice = 1; slice <= slices; ++slice) {
        sliceFiles.append(document(QStringLiteral("slice-%1.json").arg(slice)));
        checks.emplace_back(ScenarioCheck::create(scenario,
                                                  QStringList{"--shard", QStringLiteral("%1/%2").arg(slice).arg(slices),
                                                              "--run-id", "42", "--json", sliceFiles.constLast()}
                                                      + selection,
                                                  runTimeoutMsecs));
    }
    for (const auto &check : checks)
        pool.add(check.get());
    pool.start();
    QVERIFY(pool.waitForAll(runTimeoutMsecs));
    const CheckProcess::Result single = checks.front()->result();
    QVERIFY2(single.status > 0, qPrintable(single.out + single.err));

    const CheckProcess::Result merged = CheckProcess::run(
        QStringList{"merge", "--junit", m_dir.filePath("merged.xml"), "--json", document("merged.json")} + sliceFiles,
        {}, runTimeoutMsecs);
    QCOMPARE(merged.status, single.status);
    QCOMPARE(summary(merged.out), summary(single.out));
    QCOMPARE(ScenarioCheck::normalised(JunitFile::read(m_dir.filePath("merged.xml")).summaries().join('\n')),
             ScenarioCheck::normalised(JunitFile::read(m_dir.filePath("single.xml")).summaries().join('\n')));
    QCOMPARE(ctrfTests(document("merged.json")), ctrfTests(document("single.json")));
}

// The daemon of slice 1 exits at start-up (its scenario file is missing);
// slice 2, with the same daemon file, passes. The merge is one report that
// fails slice 1.
void TestMergedSlices::testSliceWhoseDaemonNeverCameUp()
{
    if (!NetworkIsolation::detect().isAvailable())
        QSKIP("Private network namespaces are not available here.");
    QVERIFY(m_dir.isValid());
    // Two rows of a shard each, one per slice.
    const QStringList selection = {"--", "testDelivery:wrong code", "testDelivery:granted (code with spaces)"};
    const QString missingScenario = QStringLiteral("no-such-scenario.json");
    QStringList sliceFiles;
    QVector<int> statuses;
    for (const QString &scenario : {missingScenario, QStringLiteral("correct.json")}) {
        sliceFiles.append(document(QStringLiteral("stopped-slice-%1.json").arg(sliceFiles.size() + 1)));
        const CheckProcess::Result slice = ScenarioCheck::run(
            scenario,
            QStringList{"--shard", QStringLiteral("%1/2").arg(sliceFiles.size()), "--run-id", "43", "--json",
                        sliceFiles.constLast()}
                + selection,
            runTimeoutMsecs);
        statuses.append(slice.status);
    }
    QCOMPARE(statuses, (QVector<int>{4, 0}));

    const QString failure = QStringLiteral("korvud exited at start-up with status 1; its last output (slice 1/2):");
    const QString html = m_dir.filePath("stopped.html");
    const CheckProcess::Result merged = CheckProcess::run(QStringList{"merge", "--junit", m_dir.filePath("stopped.xml"),
                                                                      "--json", document("stopped.json"), "--html",
                                                                      html}
                                                              + sliceFiles,
                                                          {}, runTimeoutMsecs);
    QCOMPARE(merged.status, 1);
    QVERIFY2(merged.out.contains("Failures:\n  FAIL " + failure + "\n      korvud (scripted): cannot read scenario "),
             qPrintable(merged.out));
    QVERIFY2(merged.out.endsWith("\n3 passed, 1 failed, 0 skipped\n"), qPrintable(merged.out));
    QVERIFY2(merged.err.isEmpty(), qPrintable(merged.err));

    const JunitFile junit = JunitFile::read(m_dir.filePath("stopped.xml"));
    QVERIFY2(junit.error.isEmpty(), qPrintable(junit.error));
    QVERIFY2(junit.summaries().contains("testdeliveries: error [setup] " + failure),
             qPrintable(junit.summaries().join('\n')));
    QVERIFY2(ctrfTests(document("stopped.json")).contains("testdeliveries: failed"),
             qPrintable(ctrfTests(document("stopped.json")).join('\n')));
    QFile page(html);
    QVERIFY(page.open(QIODevice::ReadOnly));
    QVERIFY(QString::fromUtf8(page.readAll()).contains(failure));
}

QTEST_GUILESS_MAIN(TestMergedSlices)
#include "tst_mergedslices.moc"
