#include "reports/ctrfdocument.h"
#include "reports/ctrffields.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>

using namespace CtrfFields;

namespace {

QStringList stringList(const QJsonValue &value) { return value.toVariant().toStringList(); }

RunResults::Origin originFrom(const QJsonValue &value)
{
    const QJsonObject object = value.toObject();
    return {object.value(QLatin1String("job")).toInt(), object.value(QLatin1String("shard")).toInt(),
            object.value(QLatin1String("repetition")).toInt(1), object.value(QLatin1String("shardName")).toString(),
            object.value(QLatin1String("attempt")).toInt(1)};
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
    if (kind == notRunKind) {
        results->addNotRun({extra.value(QLatin1String("testName")).toString()},
                           extra.value(QLatin1String("reason")).toString());
        return true;
    }
    if (kind == findingsKind)
        return addFindings(extra.value(QLatin1String("findings")), results, error);
    if (kind == setupErrorKind) {
        results->addSetupError(extra.value(QLatin1String("message")).toString(),
                               stringList(extra.value(QLatin1String("details"))));
        return true;
    }
    if (kind == breakKind) {
        RunResults::BrokenOffProcess end;
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
