#ifndef KORVUCHECK_RUNNOTICES_H
#define KORVUCHECK_RUNNOTICES_H

#include "reports/reporter.h"

#include <QStringList>

// What korvu-check says on the console of its own, around the suite's
// verdicts: what a run is about to do, its errors and what it left behind.
namespace RunNotices {

// "korvu-check: <suite> against <daemon>: 4 shards, up to 2 at a time, ...".
QStringList startLines(const RunResults &results, int parallel, int requestedParallel);
QString nothingToRunLine(const RunResults &results);
// The daemon has been slow to listen so far.
QString probeWaitingLine(int waitedMsecs, int remainingMsecs);
// An error of korvu-check's own, its first line named as korvu-check's.
QStringList setupErrorLines(const QStringList &lines);
// The lines that end the summary: the reports written, then what was kept.
QStringList summaryNotes(const Reporter::KeptFiles &kept);
QString keptRunTreeLine(const QString &runTree);

} // namespace RunNotices

#endif // KORVUCHECK_RUNNOTICES_H
