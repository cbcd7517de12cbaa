#include "reports/console/runnotices.h"

#include <daemonport.h>

namespace RunNotices {

QStringList startLines(const RunResults &results, int parallel, int requestedParallel)
{
    const RunResults::Environment &environment = results.environment();
    QString how;
    if (results.shardCount() > 1) {
        how = QStringLiteral(": %1 shards, up to %2 at a time, each in %3")
                  .arg(results.shardCount())
                  .arg(qMin(parallel, results.shardCount()))
                  .arg(environment.isolation);
    } else {
        how = QStringLiteral(", in %1").arg(environment.isolation);
    }
    if (environment.sliceCount > 0)
        how += QStringLiteral(", slice %1/%2").arg(environment.sliceIndex).arg(environment.sliceCount);
    if (environment.repeat > 1)
        how += QStringLiteral(", %1 times").arg(environment.repeat);
    QStringList lines = {
        QStringLiteral("korvu-check: %1 against %2%3").arg(environment.suite, environment.daemon, how)};
    // Only a machine without network namespaces grants fewer than asked for.
    if (results.shardCount() > 1 && requestedParallel > 1 && parallel < requestedParallel)
        lines.append(
            QStringLiteral("korvu-check: no private network namespaces here, so the shards run one at a time"));
    return lines;
}

QString nothingToRunLine(const RunResults &results)
{
    return QStringLiteral("korvu-check: slice %1/%2 holds no shard of this selection; nothing to run")
        .arg(results.environment().sliceIndex)
        .arg(results.environment().sliceCount);
}

QString probeWaitingLine(int waitedMsecs, int remainingMsecs)
{
    return QStringLiteral("korvu-check: korvud has not listened on 127.0.0.1:%1 after %2 s; waiting up to %3 s more")
        .arg(daemonPort)
        .arg(waitedMsecs / 1000.0)
        .arg(remainingMsecs / 1000.0);
}

QStringList setupErrorLines(const QStringList &lines)
{
    QStringList shown = lines;
    if (!shown.isEmpty())
        shown.first().prepend(QStringLiteral("korvu-check: "));
    return shown;
}

QStringList summaryNotes(const Reporter::KeptFiles &kept)
{
    QStringList notes = kept.reports;
    if (!kept.tracesDir.isEmpty())
        notes.append(QStringLiteral("Traces kept in: %1").arg(kept.tracesDir));
    if (!kept.runTree.isEmpty())
        notes.append(keptRunTreeLine(kept.runTree));
    return notes;
}

QString keptRunTreeLine(const QString &runTree) { return QStringLiteral("Run tree kept: %1").arg(runTree); }

} // namespace RunNotices
