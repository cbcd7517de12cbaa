#ifndef KORVUCHECK_WATCHCOMMAND_H
#define KORVUCHECK_WATCHCOMMAND_H

#include "commandline/checkoptions.h"
#include "results/runresults.h"

#include <memory>

class QTextStream;

// korvu-check --watch: the same check again whenever the daemon, a plug-in
// folder or the suite has changed on disk and is complete, each run followed
// by what changed since the one before, until a stop signal ends it.
class WatchCommand
{
public:
    WatchCommand(const CheckOptions &options, QTextStream &out, QTextStream &err);

    // The exit status of the last run that completed on parts that stayed
    // the same throughout, or 128 + N when signal N came before one did.
    int exec();

private:
    // The rows that failed before the watch began: they stay its selection
    // under --last-failed, so that a change that breaks one again is seen.
    QStringList recordedFailures();
    // Shows what a run brought since the one before and keeps it for the
    // next comparison when it counts; returns the watch's status after it.
    int judgeRun(const RunResults &results, int runStatus, bool partsChanged, int status);
    void print(const QString &line);

    const CheckOptions m_options;
    QTextStream &m_out;
    QTextStream &m_err;
    // The last run that ran rows on parts that stayed the same.
    std::unique_ptr<RunResults> m_previous;
};

#endif // KORVUCHECK_WATCHCOMMAND_H
