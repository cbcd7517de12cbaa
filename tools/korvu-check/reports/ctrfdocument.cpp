#include "ctrfdocument.h"
#include "reporter.h"
#include "trafficlog.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QUuid>

#include <algorithm>

const QString CtrfDocument::specVersion = QStringLiteral("0.0.0");

namespace {

const QString toolName = QStringLiteral("korvu-check");
// The layout of korvu-check's own fields; a reader refuses a newer one
// rather than misread it.
const int formatVersion = 1;
// Report ids are derived from the run, the slice and the stop time, so that
// a document read back and written again is the same document.
const QUuid reportIdNamespace(QStringLiteral("{9d0c51a4-5f7e-4b8e-a1c3-3e6f2b7d4c10}"));

const QString rowKind = QStringLiteral("row");
const QString breakKind = QStringLiteral("break");
const QString setupErrorKind = QStringLiteral("setup-error");
const QString findingsKind = QStringLiteral("findings");

const QString passed = QStringLiteral("passed");
const QString failed = QStringLiteral("failed");
const QString skipped = QStringLiteral("skipped");
const QString other = QStringLiteral("other");

qint64 milliseconds(double seconds) { return qRound64(seconds * 1000); }

QStringList stringList(const QJsonValue &value) { return value.toVariant().toStringList(); }

// What is empty is left out, so that a passing run of many rows stays small.
void insertIfAny(QJsonObject *object, const QString &key, const QString &text)
{
    if (!text.isEmpty())
        object->insert(key, text);
}

void insertIfAny(QJsonObject *object, const QString &key, const QStringList &lines)
{
    if (!lines.isEmpty())
        object->insert(key, QJsonArray::fromStringList(lines));
}

QJsonObject originObject(const RunResults::Origin &origin)
{
    QJsonObject object = {{QStringLiteral("job"), origin.job},
                          {QStringLiteral("shard"), origin.shard},
                          {QStringLiteral("repetition"), origin.repetition}};
    insertIfAny(&object, QStringLiteral("shardName"), origin.shardName);
    if (origin.attempt > 1)
        object.insert(QStringLiteral("attempt"), origin.attempt);
    return object;
}

RunResults::Origin originFrom(const QJsonValue &value)
{
    const QJsonObject object = value.toObject();
    return {object.value(QLatin1String("job")).toInt(), object.value(QLatin1String("shard")).toInt(),
            object.value(QLatin1String("repetition")).toInt(1), object.value(QLatin1String("shardName")).toString(),
            object.value(QLatin1String("attempt")).toInt(1)};
}

QJsonObject runObject(const RunResults::Run &run)
{
    QJsonObject object = {{QStringLiteral("outcome"), run.verdict.incidentType()},
                          {QStringLiteral("seconds"), run.verdict.seconds},
                          {QStringLiteral("origin"), originObject(run.origin)}};
    insertIfAny(&object, QStringLiteral("messages"), run.verdict.messageLines);
    insertIfAny(&object, QStringLiteral("location"), run.verdict.location);
    insertIfAny(&object, QStringLiteral("notes"), run.notes);
    if (!run.exchanges.isEmpty()) {
        QJsonArray exchanges;
        for (const QJsonObject &exchange : run.exchanges)
            exchanges.append(exchange);
        object.insert(QStringLiteral("exchanges"), exchanges);
    }
    insertIfAny(&object, QStringLiteral("logLines"), run.logLines);
    return object;
}

bool runFrom(const QJsonObject &object, const QString &function, const QString &row, RunResults::Run *run,
             QString *error)
{
    const QString outcome = object.value(QLatin1String("outcome")).toString();
    if (!TestVerdict::outcomeFromIncidentType(outcome, &run->verdict.outcome)) {
        *error = QStringLiteral("a run of %1 has no known outcome ('%2')")
                     .arg(TestVerdict::testName(function, row), outcome);
        return false;
    }
    run->verdict.function = function;
    run->verdict.row = row;
    run->verdict.messageLines = stringList(object.value(QLatin1String("messages")));
    run->verdict.location = object.value(QLatin1String("location")).toString();
    run->verdict.seconds = object.value(QLatin1String("seconds")).toDouble();
    run->origin = originFrom(object.value(QLatin1String("origin")));
    run->notes = stringList(object.value(QLatin1String("notes")));
    const QJsonArray exchanges = object.value(QLatin1String("exchanges")).toArray();
    for (const QJsonValue &exchange : exchanges)
        run->exchanges.append(exchange.toObject());
    run->logLines = stringList(object.value(QLatin1String("logLines")));
    return true;
}

QJsonObject findingObject(const RunResults::Finding &found)
{
    QJsonObject object = {{QStringLiteral("kind"), found.finding.kindName()},
                          {QStringLiteral("function"), found.finding.function},
                          {QStringLiteral("lines"), QJsonArray::fromStringList(found.finding.lines)},
                          {QStringLiteral("origin"), originObject(found.origin)}};
    insertIfAny(&object, QStringLiteral("row"), found.finding.row);
    return object;
}

QJsonArray findingsArray(const QVector<RunResults::Finding> &findings)
{
    QJsonArray array;
    for (const RunResults::Finding &found : findings)
        array.append(findingObject(found));
    return array;
}

bool addFindings(const QJsonValue &value, RunResults *results, QString *error)
{
    const QJsonArray findings = value.toArray();
    for (const QJsonValue &item : findings) {
        const QJsonObject object = item.toObject();
        DaemonFinding finding;
        const QString kind = object.value(QLatin1String("kind")).toString();
        if (!DaemonFinding::kindFromName(kind, &finding.kind)) {
            *error = QStringLiteral("a finding of no known kind ('%1')").arg(kind);
            return false;
        }
        finding.function = object.value(QLatin1String("function")).toString();
        finding.row = object.value(QLatin1String("row")).toString();
        finding.lines = stringList(object.value(QLatin1String("lines")));
        results->addFinding(finding, originFrom(object.value(QLatin1String("origin"))));
    }
    return true;
}

QString findingMessage(const DaemonFinding &finding)
{
    return QStringLiteral("%1: %2").arg(finding.kindName(), finding.lines.value(0));
}

QStringList findingLines(const QVector<RunResults::Finding> &findings)
{
    QStringList lines;
    for (const RunResults::Finding &found : findings)
        lines += found.finding.lines;
    return lines;
}

QString statusName(RunResults::Outcome outcome)
{
    switch (outcome) {
    case RunResults::Outcome::Passed:
        return passed;
    case RunResults::Outcome::Failed:
        return failed;
    case RunResults::Outcome::Skipped:
        return skipped;
    case RunResults::Outcome::BrokenOff:
        return failed;
    case RunResults::Outcome::Flaky:
    case RunResults::Outcome::Other:
        break;
    }
    // Blacklisted results fail no run, and show as neither failed nor passed.
    return other;
}

QString runStatus(const TestVerdict &verdict) { return statusName(RunResults::outcomeOf(verdict)); }

// By the verdicts alone, a flaky row failed when the last try of a
// repetition failed; one that passed only on a retry passed.
QString verdictStatus(const RunResults::Row &row)
{
    const RunResults::Outcome outcome = row.outcome();
    if (outcome == RunResults::Outcome::Flaky)
        return row.failures() > 0 ? failed : passed;
    return statusName(outcome);
}

// A try that failed and ran again, as the format's retry attempts hold them.
QJsonObject retryAttempt(const RunResults &results, const RunResults::Run &run)
{
    QJsonObject attempt = {{QStringLiteral("attempt"), run.origin.attempt},
                           {QStringLiteral("status"), runStatus(run.verdict)},
                           {QStringLiteral("duration"), milliseconds(run.verdict.seconds)}};
    insertIfAny(&attempt, QStringLiteral("message"), run.verdict.messageLines.join(QLatin1Char('\n')));
    insertIfAny(&attempt, QStringLiteral("trace"), run.verdict.location);
    insertIfAny(&attempt, QStringLiteral("stdout"), run.notes + TrafficLog::lines(run.exchanges));
    if (results.environment().repeat > 1)
        attempt.insert(QStringLiteral("extra"), QJsonObject{{QStringLiteral("repetition"), run.origin.repetition}});
    return attempt;
}

// One function or row over all its repetitions, with the status of its
// outcome. Findings fail it whatever its verdicts, so that CI marks it.
// Repetitions are runs on purpose and stand only in "extra"; "retries" counts
// the tries that ran again because they failed.
QJsonObject rowTest(const RunResults &results, const RunResults::Row &recorded)
{
    const RunResults::Row row = RunResults::withHookRunsMerged(recorded);
    const QVector<RunResults::Run> ended = row.finalVerdicts();
    QStringList statuses;
    double seconds = 0;
    for (const RunResults::Run &run : ended) {
        statuses.append(runStatus(run.verdict));
        seconds += run.verdict.seconds;
    }
    QString status = verdictStatus(row);

    QJsonObject test = {{QStringLiteral("name"), results.reportedName(row.testName)},
                        {QStringLiteral("duration"), milliseconds(seconds)}};
    QStringList message;
    const int shown = statuses.indexOf(status);
    if (shown >= 0) {
        const RunResults::Run &run = ended.at(shown);
        if (ended.size() > 1 && status == failed) {
            message.append(row.isFlaky()
                               ? QStringLiteral("flaky: passed %1 of %2 runs").arg(row.passes()).arg(ended.size())
                               : QStringLiteral("failed %1 of %2 runs").arg(row.failures()).arg(ended.size()));
        } else if (row.passedOnRetry()) {
            message.append(QStringLiteral("flaky: ") + results.retryText(row));
        }
        if (status != passed)
            message += run.verdict.messageLines;
        insertIfAny(&test, QStringLiteral("trace"), run.verdict.location);
        if (status == failed)
            insertIfAny(&test, QStringLiteral("stdout"), run.notes + TrafficLog::lines(run.exchanges));
    }
    // The format has no flaky test that fails the run: its message says so.
    const RowStatus rowStatus = results.status(row);
    if (rowStatus.cause == RowStatus::Cause::PassedOnlyOnRetry) {
        status = failed;
        message.append(rowStatus.reason);
    }
    if (!row.findings.isEmpty() && status != failed) {
        status = failed;
        message.append(findingMessage(row.findings.constFirst().finding));
    }
    test.insert(QStringLiteral("status"), status);
    insertIfAny(&test, QStringLiteral("message"), message.join(QLatin1Char('\n')));
    insertIfAny(&test, QStringLiteral("stderr"), findingLines(row.findings));
    if (ended.size() == 1)
        test.insert(QStringLiteral("rawStatus"), ended.constFirst().verdict.label());
    if (row.retries() > 0) {
        test.insert(QStringLiteral("retries"), row.retries());
        QJsonArray attempts;
        for (const RunResults::Run &run : row.endedRuns()) {
            if (!std::any_of(ended.cbegin(), ended.cend(), [&run](const RunResults::Run &last) {
                    return last.origin.repetition == run.origin.repetition && last.origin.attempt == run.origin.attempt;
                }))
                attempts.append(retryAttempt(results, run));
        }
        test.insert(QStringLiteral("retryAttempts"), attempts);
    }
    if (ended.size() > 1 || row.retries() > 0)
        test.insert(QStringLiteral("flaky"), row.isFlaky());

    const TestVerdict &named = recorded.runs.constFirst().verdict;
    QJsonObject extra = {{QStringLiteral("kind"), rowKind}, {QStringLiteral("function"), named.function}};
    insertIfAny(&extra, QStringLiteral("row"), named.row);
    const RunResults::Environment environment = results.environment();
    if (environment.sliceCount > 0)
        extra.insert(QStringLiteral("slice"),
                     QStringLiteral("%1/%2").arg(environment.sliceIndex).arg(environment.sliceCount));
    QJsonArray runs;
    for (const RunResults::Run &run : recorded.runs)
        runs.append(runObject(run));
    extra.insert(QStringLiteral("runs"), runs);
    if (!row.findings.isEmpty())
        extra.insert(QStringLiteral("findings"), findingsArray(row.findings));
    test.insert(QStringLiteral("extra"), extra);
    return test;
}

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

QJsonObject breakTest(const RunResults &results, const RunResults::Break &end)
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

RunResults::Environment environmentFrom(const QJsonObject &results, const QString &runId)
{
    const QJsonObject object = results.value(QLatin1String("environment")).toObject();
    const QJsonObject extra = object.value(QLatin1String("extra")).toObject();
    RunResults::Environment environment;
    environment.runId = runId;
    environment
        .toolVersion = results.value(QLatin1String("tool")).toObject().value(QLatin1String("version")).toString();
    environment.daemon = extra.value(QLatin1String("daemon")).toString();
    environment.daemonSha256 = extra.value(QLatin1String("daemonSha256")).toString();
    environment.suite = extra.value(QLatin1String("suite")).toString();
    environment.suiteSha256 = extra.value(QLatin1String("suiteSha256")).toString();
    environment.mocksDir = extra.value(QLatin1String("mocksDir")).toString();
    environment.experienceDir = extra.value(QLatin1String("experienceDir")).toString();
    environment.qtVersion = extra.value(QLatin1String("qtVersion")).toString();
    environment.isolation = extra.value(QLatin1String("isolation")).toString();
    environment.wrapCommand = stringList(extra.value(QLatin1String("wrapCommand")));
    environment.hostName = extra.value(QLatin1String("hostName")).toString();
    environment.osPlatform = object.value(QLatin1String("osPlatform")).toString();
    environment.osVersion = object.value(QLatin1String("osVersion")).toString();
    environment.sliceIndex = extra.value(QLatin1String("sliceIndex")).toInt();
    environment.sliceCount = extra.value(QLatin1String("sliceCount")).toInt();
    environment.repeat = extra.value(QLatin1String("repeat")).toInt(1);
    environment.retries = extra.value(QLatin1String("retries")).toInt();
    environment.failOnFlaky = extra.value(QLatin1String("failOnFlaky")).toBool();
    return environment;
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

QDateTime timeFrom(const QJsonValue &value)
{
    return value.isDouble() ? QDateTime::fromMSecsSinceEpoch(qint64(value.toDouble())) : QDateTime();
}

bool addTest(const QJsonObject &test, RunResults *results, QString *error)
{
    const QJsonObject extra = test.value(QLatin1String("extra")).toObject();
    const QString kind = extra.value(QLatin1String("kind")).toString();
    if (kind == rowKind) {
        const QString function = extra.value(QLatin1String("function")).toString();
        const QString row = extra.value(QLatin1String("row")).toString();
        const QJsonArray runs = extra.value(QLatin1String("runs")).toArray();
        if (function.isEmpty() || runs.isEmpty()) {
            *error = QStringLiteral("the test '%1' names no function or holds no run")
                         .arg(test.value(QLatin1String("name")).toString());
            return false;
        }
        for (const QJsonValue &value : runs) {
            RunResults::Run run;
            if (!runFrom(value.toObject(), function, row, &run, error))
                return false;
            results->addRun(run);
        }
        return addFindings(extra.value(QLatin1String("findings")), results, error);
    }
    if (kind == findingsKind)
        return addFindings(extra.value(QLatin1String("findings")), results, error);
    if (kind == setupErrorKind) {
        results->addSetupError(extra.value(QLatin1String("message")).toString(),
                               stringList(extra.value(QLatin1String("details"))));
        return true;
    }
    if (kind == breakKind) {
        RunResults::Break end;
        end.type = extra.value(QLatin1String("type")).toString();
        end.description = extra.value(QLatin1String("description")).toString();
        end.testName = extra.value(QLatin1String("testName")).toString();
        end.seconds = extra.value(QLatin1String("seconds")).toDouble();
        end.lastOutput = stringList(extra.value(QLatin1String("lastOutput")));
        end.origin = originFrom(extra.value(QLatin1String("origin")));
        results->addBreak(end);
        return true;
    }
    *error = QStringLiteral("the test '%1' is none korvu-check wrote")
                 .arg(test.value(QLatin1String("name")).toString());
    return false;
}

} // namespace

QJsonObject CtrfDocument::fromResults(const RunResults &results)
{
    QJsonArray tests;
    const QVector<RunResults::SetupError> setupErrors = results.setupErrors();
    for (const RunResults::SetupError &setupError : setupErrors)
        tests.append(setupErrorTest(setupError));
    const QVector<RunResults::Row> recorded = results.rowsWithEveryHookRun();
    for (const RunResults::Row &row : recorded)
        tests.append(rowTest(results, row));
    const QJsonArray findingTests = unplacedFindingTests(results);
    for (const QJsonValue &test : findingTests)
        tests.append(test);
    const QVector<RunResults::Break> breaks = results.breaks();
    for (const RunResults::Break &suiteBreak : breaks)
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

bool CtrfDocument::read(const QString &fileName, RunResults *results, QString *error)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read %1: %2").arg(fileName, file.errorString());
        return false;
    }
    QJsonParseError parseError;
    const QJsonDocument json = QJsonDocument::fromJson(file.readAll(), &parseError);
    QString problem;
    if (!json.isObject())
        problem = QStringLiteral("not a CTRF document, not even a JSON object (%1)").arg(parseError.errorString());
    else if (toResults(json.object(), results, &problem))
        return true;
    *error = QStringLiteral("%1: %2").arg(fileName, problem);
    return false;
}

bool CtrfDocument::toResults(const QJsonObject &document, RunResults *results, QString *error)
{
    if (document.value(QLatin1String("reportFormat")).toString() != QLatin1String("CTRF")) {
        *error = QStringLiteral("not a CTRF document (no reportFormat \"CTRF\")");
        return false;
    }
    const QJsonObject run = document.value(QLatin1String("results")).toObject();
    const QString tool = run.value(QLatin1String("tool")).toObject().value(QLatin1String("name")).toString();
    if (tool != toolName) {
        *error = QStringLiteral("a CTRF document of %1, not of korvu-check")
                     .arg(tool.isEmpty() ? QStringLiteral("an unnamed tool")
                                         : QLatin1Char('\'') + tool + QLatin1Char('\''));
        return false;
    }
    const QJsonObject extra = run.value(QLatin1String("extra")).toObject();
    const int format = extra.value(QLatin1String("format")).toInt();
    if (format < 1) {
        *error = QStringLiteral("a CTRF document of korvu-check without its results");
        return false;
    }
    if (format > formatVersion) {
        *error = QStringLiteral("written by a newer korvu-check (document format %1; this one reads %2)")
                     .arg(format)
                     .arg(formatVersion);
        return false;
    }

    RunResults read;
    read.setEnvironment(environmentFrom(run, document.value(QLatin1String("runId")).toString()));
    read.setShardCount(run.value(QLatin1String("environment"))
                           .toObject()
                           .value(QLatin1String("extra"))
                           .toObject()
                           .value(QLatin1String("shardCount"))
                           .toInt());
    read.setSuiteFile(extra.value(QLatin1String("suiteFile")).toString());
    read.setSuiteName(extra.value(QLatin1String("suiteName")).toString());
    read.setStartTime(timeFrom(extra.value(QLatin1String("startTime"))));
    read.setStopTime(timeFrom(extra.value(QLatin1String("stopTime"))));
    read.setSeconds(extra.value(QLatin1String("seconds")).toDouble());
    read.setOrder(stringList(extra.value(QLatin1String("order"))));
    const QStringList output = stringList(extra.value(QLatin1String("outputLines")));
    for (const QString &line : output)
        read.addOutputLine(line);
    const QJsonArray tests = run.value(QLatin1String("tests")).toArray();
    for (const QJsonValue &test : tests) {
        if (!addTest(test.toObject(), &read, error))
            return false;
    }
    *results = read;
    return true;
}
