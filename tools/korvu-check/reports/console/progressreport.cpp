#include "reports/console/progressreport.h"
#include "reports/console/runnotices.h"
#include "reports/console/runsummary.h"

#include <QTextStream>

ProgressReport::ProgressReport(QTextStream &out, QTextStream &err, bool verbose)
    : m_out(out)
    , m_err(err)
    , m_verbose(verbose)
{
}

void ProgressReport::verdictRead(const RunResults &results, const RunResults::Origin &origin,
                                 const TestVerdict &verdict)
{
    // Only a failure of a hook is news when each shard runs them.
    const bool shardedHook = !origin.shardName.isEmpty() && RunResults::isHook(verdict);
    if (shardedHook && !verdict.isFailure()) {
        showFindings(results, origin, verdict.testName());
        return;
    }
    bool shownBefore = false;
    if (shardedHook) {
        const QString key = QStringLiteral("%1|%2|%3")
                                .arg(verdict.testName())
                                .arg(origin.repetition)
                                .arg(verdict.messageLines.join(QLatin1Char('\n')));
        shownBefore = m_shownHookFailures.contains(key);
        m_shownHookFailures.insert(key);
    }
    const QString name = results.reportedName(verdict.testName());
    // Under --retries a failure says which try it was, and so does every retry.
    const bool withTry = results.environment().retries > 0 && !RunResults::isHook(verdict)
                         && (origin.attempt > 1 || verdict.isFailure());
    const QStringList lines = origin.attempt > 1 && verdict.outcome == TestVerdict::Outcome::Pass
                                  ? RunSummary::passedOnRetryLines(verdict, name, results.tryName(origin),
                                                                   context(results, origin, false, false))
                                  : RunSummary::progressLines(verdict, name,
                                                              context(results, origin, shardedHook, withTry));
    print(shownBefore ? QStringList{lines.constFirst()} : lines);
    if (verdict.endsTest())
        showFindings(results, origin, verdict.testName());
}

void ProgressReport::findingMade(const RunResults &results, const RunResults::Origin &origin,
                                 const DaemonFinding &finding)
{
    Q_UNUSED(results)
    m_unshownFindings[origin.job].append(finding);
}

// Those whose function or row ended before they came, or never did.
void ProgressReport::processEnded(const RunResults &results, const RunResults::Origin &origin)
{
    showFindings(results, origin, QString());
}

void ProgressReport::showFindings(const RunResults &results, const RunResults::Origin &origin, const QString &testName)
{
    QVector<DaemonFinding> &unshown = m_unshownFindings[origin.job];
    const QString where = context(results, origin, true, false);
    for (auto it = unshown.begin(); it != unshown.end();) {
        if (!testName.isEmpty() && it->testName() != testName) {
            ++it;
            continue;
        }
        print(RunSummary::findingLines(*it, results.reportedName(it->testName()), where));
        it = unshown.erase(it);
    }
}

QString ProgressReport::context(const RunResults &results, const RunResults::Origin &origin, bool withShard,
                                bool withTry)
{
    QStringList parts;
    if (withShard && !origin.shardName.isEmpty())
        parts.append(origin.shardName);
    const int repeat = results.environment().repeat;
    if (repeat > 1)
        parts.append(QStringLiteral("run %1/%2").arg(origin.repetition).arg(repeat));
    if (withTry)
        parts.append(results.tryName(origin));
    return parts.isEmpty() ? QString() : QLatin1Char('[') + parts.join(QStringLiteral(", ")) + QLatin1Char(']');
}

void ProgressReport::print(const QStringList &lines)
{
    if (m_silent)
        return;
    if (m_holding) {
        m_held += lines;
        return;
    }
    for (const QString &line : lines)
        m_out << line << '\n';
    m_out.flush();
}

void ProgressReport::printToErr(const QStringList &lines)
{
    for (const QString &line : lines)
        m_err << line << '\n';
    m_err.flush();
}

void ProgressReport::runStarting(const RunResults &results, int parallel, int requestedParallel)
{
    print(RunNotices::startLines(results, parallel, requestedParallel));
}

void ProgressReport::nothingToRun(const RunResults &results) { print({RunNotices::nothingToRunLine(results)}); }

void ProgressReport::probeStarted() { m_holding = true; }

void ProgressReport::probeStillWaiting(int waitedMsecs, int remainingMsecs)
{
    const bool holding = m_holding;
    m_holding = false;
    print({RunNotices::probeWaitingLine(waitedMsecs, remainingMsecs)});
    m_holding = holding;
}

void ProgressReport::probeEnded(bool runGoesOn)
{
    m_holding = false;
    // A quick suite may still report a verdict before the stop reaches it.
    if (!runGoesOn)
        m_silent = true;
    print(m_held);
    m_held.clear();
}

void ProgressReport::outputLine(const QString &line)
{
    if (m_verbose)
        print({line});
}

void ProgressReport::plainOutput(const QStringList &lines) { print(lines); }

void ProgressReport::setupError(const RunResults &results, const QStringList &lines)
{
    Q_UNUSED(results)
    printToErr(RunNotices::setupErrorLines(lines));
}

void ProgressReport::runEnded(const RunResults &results, const KeptFiles &kept)
{
    m_out.flush();
    setNotes(RunNotices::summaryNotes(kept));
    write(results, m_out.device());
}

void ProgressReport::runStopped(const RunResults &results, const KeptFiles &kept)
{
    Q_UNUSED(results)
    if (!kept.runTree.isEmpty())
        printToErr({RunNotices::keptRunTreeLine(kept.runTree)});
}
