#include "merge/slicemerge.h"
#include "reports/ctrfdocument.h"

#include <QMap>

#include <algorithm>

namespace {

const int namedMissingSlices = 10;

QString sliceName(const RunResults &slice)
{
    return QStringLiteral("slice %1/%2").arg(slice.environment().sliceIndex).arg(slice.environment().sliceCount);
}

// The functions and rows of the whole selection in the suite's order, which
// every slice records, without the hooks.
QStringList selectedTests(const RunResults &slice)
{
    QStringList tests = slice.order();
    tests.erase(std::remove_if(tests.begin(), tests.end(),
                               [](const QString &testName) { return RunResults::isHookFunction(testName); }),
                tests.end());
    return tests;
}

// The slice stopped before its suite's results counted (korvud never came
// up, the suite could not list its functions and rows): its setup errors are
// all it says.
bool brokeOff(const RunResults &slice)
{
    return !slice.setupErrors().isEmpty() && slice.rowsWithEveryHookRun().isEmpty() && slice.breaks().isEmpty();
}

// A slice that broke off before it listed the suite's functions and rows
// cannot show its selection; the run's is that of the others.
bool showsSelection(const RunResults &slice) { return !selectedTests(slice).isEmpty() || !brokeOff(slice); }

// "a.json and b.json", "a.json, b.json and c.json"
QString listed(const QStringList &items)
{
    if (items.size() < 2)
        return items.join(QString());
    return items.mid(0, items.size() - 1).join(QStringLiteral(", ")) + QStringLiteral(" and ") + items.constLast();
}

} // namespace

QString SliceMerge::Error::message() const
{
    switch (problem) {
    case Problem::NotCtrf:
        return detail;
    case Problem::NotASlice:
        return QStringLiteral("%1 is not the report of a slice K/N of a run (korvu-check --shard K/N)").arg(detail);
    case Problem::DifferentRuns:
        return QStringLiteral("the documents come from different runs: %1").arg(detail);
    case Problem::DifferentBuilds:
        return QStringLiteral("the documents come from different builds: %1").arg(detail);
    case Problem::DifferentSliceCounts:
        return QStringLiteral("the slices disagree on their number: %1").arg(detail);
    case Problem::SliceTwice:
        return QStringLiteral("a slice is given twice: %1").arg(detail);
    case Problem::SliceMissing:
        return detail
               + (detail.startsWith(QLatin1String("slices ")) ? QStringLiteral(" are missing")
                                                              : QStringLiteral(" is missing"));
    }
    return detail;
}

bool SliceMerge::addFile(const QString &fileName, Error *error)
{
    RunResults slice;
    QString readError;
    if (!CtrfDocument::read(fileName, &slice, &readError)) {
        *error = {Problem::NotCtrf, readError};
        return false;
    }
    m_slices.append({slice, fileName});
    return true;
}

bool SliceMerge::merge(RunResults *merged, Error *error) const
{
    if (!check(error))
        return false;
    QVector<Slice> slices = m_slices;
    std::sort(slices.begin(), slices.end(), [](const Slice &a, const Slice &b) {
        return a.results.environment().sliceIndex < b.results.environment().sliceIndex;
    });

    RunResults result;
    const RunResults &first = slices.constFirst().results;
    RunResults::Environment environment = first.environment();
    environment.sliceIndex = 0;
    environment.sliceCount = 0;
    QStringList hosts;
    QDateTime start;
    QDateTime stop;
    QDateTime begin; // of the check that began first, before its suite started
    int shardCount = 0;
    int jobOffset = 0;
    int shardOffset = 0;
    for (const Slice &slice : qAsConst(slices)) {
        const RunResults &results = slice.results;
        shardCount += results.shardCount();
        // Each slice retried its own failures; the merged run allowed the most any did.
        environment.retries = qMax(environment.retries, results.environment().retries);
        environment.failOnFlaky = environment.failOnFlaky || results.environment().failOnFlaky;
        const QString host = results.environment().hostName;
        if (!host.isEmpty() && !hosts.contains(host))
            hosts.append(host);
        if (results.startTime().isValid() && (!start.isValid() || results.startTime() < start))
            start = results.startTime();
        if (results.stopTime().isValid()) {
            if (!stop.isValid() || results.stopTime() > stop)
                stop = results.stopTime();
            const QDateTime began = results.stopTime().addMSecs(-qRound64(results.seconds() * 1000));
            if (!begin.isValid() || began < begin)
                begin = began;
        }
        addResults(slice, &jobOffset, &shardOffset, &result);
    }
    environment.hostName = hosts.join(QStringLiteral(", "));
    result.setEnvironment(environment);
    result.setShardCount(shardCount);
    // A slice that broke off never heard the suite name itself.
    const auto ran = std::find_if(slices.cbegin(), slices.cend(),
                                  [](const Slice &slice) { return !brokeOff(slice.results); });
    const RunResults &named = ran == slices.cend() ? first : ran->results;
    result.setSuiteFile(named.suiteFile());
    result.setSuiteName(named.suiteName());
    result.setOrder(RunResults::withHooks(selectedTests(selecting(slices).results)));
    result.setStartTime(start);
    result.setStopTime(stop);
    result.setSeconds(begin.isValid() ? begin.msecsTo(stop) / 1000.0 : 0);
    *merged = result;
    return true;
}

const SliceMerge::Slice &SliceMerge::selecting(const QVector<Slice> &slices)
{
    const auto found = std::find_if(slices.cbegin(), slices.cend(),
                                    [](const Slice &slice) { return showsSelection(slice.results); });
    return found == slices.cend() ? slices.constFirst() : *found;
}

bool SliceMerge::check(Error *error) const
{
    if (m_slices.isEmpty()) {
        *error = {Problem::SliceMissing, QStringLiteral("every slice")};
        return false;
    }
    for (const Slice &slice : m_slices) {
        const RunResults::Environment environment = slice.results.environment();
        if (environment.sliceIndex < 1 || environment.sliceIndex > environment.sliceCount) {
            *error = {Problem::NotASlice, slice.source};
            return false;
        }
    }
    for (const Slice &slice : m_slices) {
        if (!matchesFirst(slice, error))
            return false;
    }
    return hasEverySliceOnce(error);
}

bool SliceMerge::matchesFirst(const Slice &slice, Error *error) const
{
    const Slice &first = m_slices.constFirst();
    const RunResults::Environment &expected = first.results.environment();
    const RunResults::Environment environment = slice.results.environment();
    const auto differ = [&](Problem problem, const QString &pattern, const QString &mine, const QString &theirs) {
        *error = {problem, pattern.arg(first.source, mine, slice.source, theirs)};
        return false;
    };
    if (environment.runId != expected.runId) {
        // Slices run by hand get a new run id each unless told otherwise.
        return differ(Problem::DifferentRuns,
                      QStringLiteral("%1 has run id '%2', %3 has run id '%4' (give every slice of a run the same "
                                     "--run-id)"),
                      expected.runId, environment.runId);
    }
    if (environment.repeat != expected.repeat) {
        return differ(Problem::DifferentRuns, QStringLiteral("%1 ran every row %2 times, %3 %4 times"),
                      QString::number(expected.repeat), QString::number(environment.repeat));
    }
    const Slice &selection = selecting(m_slices);
    if (showsSelection(slice.results) && selectedTests(slice.results) != selectedTests(selection.results)) {
        *error = {Problem::DifferentRuns,
                  QStringLiteral("%1 selected %2 functions and rows, %3 %4 other ones")
                      .arg(selection.source, QString::number(selectedTests(selection.results).size()), slice.source,
                           QString::number(selectedTests(slice.results).size()))};
        return false;
    }
    if (environment.suiteSha256 != expected.suiteSha256) {
        return differ(Problem::DifferentBuilds, QStringLiteral("%1 checked with the suite %2, %3 with %4"),
                      expected.suiteSha256.left(12), environment.suiteSha256.left(12));
    }
    if (environment.daemonSha256 != expected.daemonSha256) {
        return differ(Problem::DifferentBuilds, QStringLiteral("%1 checked the daemon %2, %3 the daemon %4"),
                      expected.daemonSha256.left(12), environment.daemonSha256.left(12));
    }
    if (environment.toolVersion != expected.toolVersion) {
        return differ(Problem::DifferentBuilds,
                      QStringLiteral("%1 was written by korvu-check %2, %3 by korvu-check %4"), expected.toolVersion,
                      environment.toolVersion);
    }
    if (environment.sliceCount != expected.sliceCount) {
        return differ(Problem::DifferentSliceCounts, QStringLiteral("%1 is %2, %3 is %4"), sliceName(first.results),
                      sliceName(slice.results));
    }
    return true;
}

bool SliceMerge::hasEverySliceOnce(Error *error) const
{
    QMap<int, QString> sources;
    for (const Slice &slice : m_slices) {
        const int index = slice.results.environment().sliceIndex;
        if (sources.contains(index)) {
            *error = {
                Problem::SliceTwice,
                QStringLiteral("%1 in %2 and %3").arg(sliceName(slice.results), sources.value(index), slice.source)};
            return false;
        }
        sources.insert(index, slice.source);
    }
    // A count from a document can be anything; the message names a few.
    const int sliceCount = m_slices.constFirst().results.environment().sliceCount;
    const int missingCount = sliceCount - sources.size();
    QStringList missing;
    for (int index = 1; index <= sliceCount && missing.size() < namedMissingSlices; ++index) {
        if (!sources.contains(index))
            missing.append(QStringLiteral("%1/%2").arg(index).arg(sliceCount));
    }
    if (missingCount > missing.size())
        missing.append(QStringLiteral("%1 more").arg(missingCount - missing.size()));
    if (missingCount > 0) {
        *error = {Problem::SliceMissing,
                  (missingCount == 1 ? QStringLiteral("slice ") : QStringLiteral("slices ")) + listed(missing)};
        return false;
    }
    return true;
}

// The origins stay apart across slices, in the order of the slices, so that
// the hooks of all of them merge as those of one run's shards do.
void SliceMerge::addResults(const Slice &slice, int *jobOffset, int *shardOffset, RunResults *merged)
{
    const RunResults &results = slice.results;
    const QString name = sliceName(results);
    int lastJob = 0;
    int lastShard = 0;
    const auto origin = [&](RunResults::Origin from) {
        lastJob = qMax(lastJob, from.job);
        lastShard = qMax(lastShard, from.shard);
        from.job += *jobOffset;
        from.shard += *shardOffset;
        from.shardName = from.shardName.isEmpty() ? name : QStringLiteral("%1, %2").arg(name, from.shardName);
        return from;
    };

    // Every shard's run of a hook, so that the hooks merge as those of one run's shards.
    const QVector<RunResults::TestCase> rows = results.rowsWithEveryHookRun();
    for (const RunResults::TestCase &row : rows) {
        for (RunResults::Run run : row.runs) {
            run.origin = origin(run.origin);
            merged->addRun(run);
        }
    }
    const QVector<RunResults::Finding> findings = results.findings();
    for (const RunResults::Finding &found : findings)
        merged->addFinding(found.finding, origin(found.origin));
    const QVector<RunResults::BrokenOffProcess> breaks = results.breaks();
    for (RunResults::BrokenOffProcess suiteBreak : breaks) {
        suiteBreak.origin = origin(suiteBreak.origin);
        merged->addBreak(suiteBreak);
    }
    // Not run stays so unless another slice ran it, which the merged results tell.
    const QVector<RunResults::NotRunTest> notRun = results.notRun();
    for (const RunResults::NotRunTest &test : notRun)
        merged->addNotRun({test.testName}, test.reason);
    const QStringList lines = results.outputLines();
    for (const QString &line : lines)
        merged->addOutputLine(QStringLiteral("[%1] %2").arg(name, line));
    // The slice's part of the run went unchecked, which fails the run, as a
    // suite that broke off does.
    const bool brokeOffEarly = brokeOff(results);
    const QVector<RunResults::SetupError> errors = results.setupErrors();
    for (const RunResults::SetupError &setupError : errors) {
        if (brokeOffEarly) {
            RunResults::BrokenOffProcess setupBreak;
            setupBreak.type = QStringLiteral("setup");
            setupBreak.description = setupError.message;
            setupBreak.lastOutput = setupError.details;
            setupBreak.origin = origin(setupBreak.origin);
            merged->addBreak(setupBreak);
        } else {
            merged->addSetupError(QStringLiteral("%1: %2").arg(name, setupError.message), setupError.details);
        }
    }
    *jobOffset += lastJob + 1;
    *shardOffset += lastShard + 1;
}
