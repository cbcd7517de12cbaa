#include "reports/ctrfreport.h"
#include "reports/ctrffields.h"
#include "reports/ctrfrowtest.h"

#include <QFileInfo>
#include <QIODevice>
#include <QJsonDocument>
#include <QUuid>

using namespace CtrfFields;

const QString CtrfReport::specVersion = QStringLiteral("0.0.0");

namespace {

// Report ids are derived from the run, the slice and the stop time, so that
// a document read back and written again is the same document.
const QUuid reportIdNamespace(QStringLiteral("{9d0c51a4-5f7e-4b8e-a1c3-3e6f2b7d4c10}"));

QJsonObject failedTest(const QString &name, const QString &message, const QJsonObject &extra)
{
    return {{QStringLiteral("name"), name},
            {QStringLiteral("status"), failed},
            {QStringLiteral("duration"), 0},
            {QStringLiteral("message"), message},
            {QStringLiteral("extra"), extra}};
}

QJsonObject setupErrorTest(const RunResults::SetupError &setupError)
{
    QJsonObject extra = {{QStringLiteral("kind"), setupErrorKind}, {QStringLiteral("message"), setupError.message}};
    insertIfAny(&extra, QStringLiteral("details"), setupError.details);
    QJsonObject test = failedTest(Reporter::setupTestName, setupError.message, extra);
    test.insert(QStringLiteral("rawStatus"), QStringLiteral("setup"));
    insertIfAny(&test, QStringLiteral("stdout"), setupError.details);
    return test;
}

QJsonObject breakTest(const RunResults &results, const RunResults::BrokenOffProcess &end)
{
    QJsonObject extra = {{QStringLiteral("kind"), breakKind},
                         {QStringLiteral("type"), end.type},
                         {QStringLiteral("description"), end.description},
                         {QStringLiteral("seconds"), end.seconds},
                         {QStringLiteral("origin"), originObject(end.origin)}};
    insertIfAny(&extra, QStringLiteral("testName"), end.testName);
    insertIfAny(&extra, QStringLiteral("lastOutput"), end.lastOutput);
    QJsonObject test = failedTest(end.testName.isEmpty() ? results.suiteFile() : results.reportedName(end.testName),
                                  end.describedWithShard(), extra);
    test.insert(QStringLiteral("duration"), milliseconds(end.seconds));
    test.insert(QStringLiteral("rawStatus"), end.type);
    insertIfAny(&test, QStringLiteral("stdout"), end.lastOutput);
    return test;
}

// The format has no status for a test the run stopped before: skipped, and
// "extra" says that it did not run.
QJsonObject notRunTest(const RunResults &results, const RunResults::NotRunTest &test)
{
    const QJsonObject extra = {{QStringLiteral("kind"), notRunKind},
                               {QStringLiteral("notRun"), true},
                               {QStringLiteral("testName"), test.testName},
                               {QStringLiteral("reason"), test.reason}};
    return {{QStringLiteral("name"), results.reportedName(test.testName)},
            {QStringLiteral("status"), skipped},
            {QStringLiteral("duration"), 0},
            {QStringLiteral("message"), test.reason},
            {QStringLiteral("extra"), extra}};
}

// Findings of a function or row without a verdict, as the suite broke off in it.
QJsonArray unplacedFindingTests(const RunResults &results)
{
    QStringList names;
    QHash<QString, QVector<RunResults::Finding>> byName;
    const QVector<RunResults::Finding> findings = results.findingsWithoutVerdict();
    for (const RunResults::Finding &found : findings) {
        const QString name = found.finding.testName();
        if (!names.contains(name))
            names.append(name);
        byName[name].append(found);
    }
    QJsonArray tests;
    for (const QString &name : qAsConst(names)) {
        const QVector<RunResults::Finding> &found = byName[name];
        QJsonObject test = failedTest(
            results.reportedName(name), findingMessage(found.constFirst().finding),
            {{QStringLiteral("kind"), findingsKind}, {QStringLiteral("findings"), findingsArray(found)}});
        test.insert(QStringLiteral("stderr"), QJsonArray::fromStringList(findingLines(found)));
        tests.append(test);
    }
    return tests;
}

QJsonObject environmentObject(const RunResults &results)
{
    const RunResults::Environment environment = results.environment();
    QJsonObject extra = {
        {QStringLiteral("daemon"), environment.daemon},
        {QStringLiteral("daemonSha256"), environment.daemonSha256},
        {QStringLiteral("suite"), environment.suite},
        {QStringLiteral("suiteSha256"), environment.suiteSha256},
        {QStringLiteral("mocksDir"), environment.mocksDir},
        {QStringLiteral("experienceDir"), environment.experienceDir},
        {QStringLiteral("qtVersion"), environment.qtVersion},
        {QStringLiteral("isolation"), environment.isolation},
        {QStringLiteral("wrapCommand"), QJsonArray::fromStringList(environment.wrapCommand)},
        {QStringLiteral("hostName"), environment.hostName},
        {QStringLiteral("sliceIndex"), environment.sliceIndex},
        {QStringLiteral("sliceCount"), environment.sliceCount},
        {QStringLiteral("repeat"), environment.repeat},
        {QStringLiteral("shardCount"), results.shardCount()},
    };
    if (environment.retries > 0)
        extra.insert(QStringLiteral("retries"), environment.retries);
    if (environment.failOnFlaky)
        extra.insert(QStringLiteral("failOnFlaky"), true);
    QJsonObject object = {{QStringLiteral("extra"), extra}};
    insertIfAny(&object, QStringLiteral("reportName"), results.suiteName());
    insertIfAny(&object, QStringLiteral("appName"), QFileInfo(environment.daemon).fileName());
    insertIfAny(&object, QStringLiteral("osPlatform"), environment.osPlatform);
    insertIfAny(&object, QStringLiteral("osVersion"), environment.osVersion);
    if (environment.sliceCount > 0)
        object.insert(QStringLiteral("shardId"),
                      QStringLiteral("%1/%2").arg(environment.sliceIndex).arg(environment.sliceCount));
    return object;
}

QJsonObject summaryObject(const QJsonArray &tests, const RunResults &results)
{
    QHash<QString, int> counts;
    int flaky = 0;
    for (const QJsonValue &test : tests) {
        ++counts[test.toObject().value(QLatin1String("status")).toString()];
        flaky += test.toObject().value(QLatin1String("flaky")).toBool() ? 1 : 0;
    }
    const qint64 stop = results.stopTime().isValid() ? results.stopTime().toMSecsSinceEpoch() : 0;
    // A check that stopped before the suite started has no start of its own.
    const qint64 start = results.startTime().isValid() ? results.startTime().toMSecsSinceEpoch() : stop;
    return {{QStringLiteral("tests"), tests.size()},
            {QStringLiteral("passed"), counts.value(passed)},
            {QStringLiteral("failed"), counts.value(failed)},
            {QStringLiteral("skipped"), counts.value(skipped)},
            {QStringLiteral("pending"), 0},
            {QStringLiteral("other"), counts.value(other)},
            {QStringLiteral("flaky"), flaky},
            {QStringLiteral("suites"), 1},
            {QStringLiteral("start"), start},
            {QStringLiteral("stop"), stop},
            {QStringLiteral("duration"), milliseconds(results.seconds())}};
}

// korvu-check's own fields of the run, which no standard field holds exactly.
QJsonObject runExtra(const RunResults &results)
{
    QJsonObject extra = {{QStringLiteral("format"), formatVersion},
                         {QStringLiteral("suiteFile"), results.suiteFile()},
                         {QStringLiteral("suiteName"), results.suiteName()},
                         {QStringLiteral("seconds"), results.seconds()},
                         {QStringLiteral("order"), QJsonArray::fromStringList(results.order())},
                         {QStringLiteral("outputLines"), QJsonArray::fromStringList(results.outputLines())}};
    if (results.startTime().isValid())
        extra.insert(QStringLiteral("startTime"), results.startTime().toMSecsSinceEpoch());
    if (results.stopTime().isValid())
        extra.insert(QStringLiteral("stopTime"), results.stopTime().toMSecsSinceEpoch());
    return extra;
}

} // namespace

QJsonObject CtrfReport::document(const RunResults &results)
{
    QJsonArray tests;
    const QVector<RunResults::SetupError> setupErrors = results.setupErrors();
    for (const RunResults::SetupError &setupError : setupErrors)
        tests.append(setupErrorTest(setupError));
    const QVector<RunResults::TestCase> recorded = results.rowsWithEveryHookRun();
    for (const RunResults::TestCase &row : recorded)
        tests.append(CtrfRowTest::of(results, row));
    const QVector<RunResults::NotRunTest> notRun = results.notRun();
    for (const RunResults::NotRunTest &test : notRun)
        tests.append(notRunTest(results, test));
    const QJsonArray findingTests = unplacedFindingTests(results);
    for (const QJsonValue &test : findingTests)
        tests.append(test);
    const QVector<RunResults::BrokenOffProcess> breaks = results.breaks();
    for (const RunResults::BrokenOffProcess &suiteBreak : breaks)
        tests.append(breakTest(results, suiteBreak));

    const RunResults::Environment environment = results.environment();
    const QJsonObject tool = {{QStringLiteral("name"), toolName}, {QStringLiteral("version"), environment.toolVersion}};
    const QJsonObject run = {{QStringLiteral("tool"), tool},
                             {QStringLiteral("summary"), summaryObject(tests, results)},
                             {QStringLiteral("tests"), tests},
                             {QStringLiteral("environment"), environmentObject(results)},
                             {QStringLiteral("extra"), runExtra(results)}};
    const QString identity = QStringLiteral("%1 %2/%3 %4")
                                 .arg(environment.runId)
                                 .arg(environment.sliceIndex)
                                 .arg(environment.sliceCount)
                                 .arg(results.stopTime().toMSecsSinceEpoch());
    QJsonObject document = {
        {QStringLiteral("reportFormat"), QStringLiteral("CTRF")},
        {QStringLiteral("specVersion"), specVersion},
        {QStringLiteral("reportId"), QUuid::createUuidV5(reportIdNamespace, identity).toString(QUuid::WithoutBraces)},
        {QStringLiteral("generatedBy"), toolName},
        {QStringLiteral("results"), run},
    };
    insertIfAny(&document, QStringLiteral("runId"), environment.runId);
    if (results.stopTime().isValid())
        document.insert(QStringLiteral("timestamp"), results.stopTime().toUTC().toString(Qt::ISODateWithMs));
    return document;
}

bool CtrfReport::write(const RunResults &results, QIODevice *device)
{
    const QByteArray json = QJsonDocument(document(results)).toJson(QJsonDocument::Compact);
    return device->write(json) == json.size();
}
