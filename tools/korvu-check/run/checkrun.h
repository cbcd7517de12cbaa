#ifndef KORVUCHECK_CHECKRUN_H
#define KORVUCHECK_CHECKRUN_H

#include "commandline/checkoptions.h"
#include "run/buildhashes.h"
#include "run/isolation/networkisolation.h"
#include "run/jobdispatcher.h"
#include "run/jobplanner.h"
#include "run/runrecorder.h"

#include <QElapsedTimer>
#include <QTemporaryDir>

class QTextStream;

// One run of the check, from the run trees to the summary: the suite as one
// process, or its shards several at a time, as often as asked.
class CheckRun
{
public:
    CheckRun(const CheckOptions &options, QTextStream &out, QTextStream &err);
    ~CheckRun();

    // Returns the exit status of korvu-check.
    int exec();
    // Runs only the functions and rows these selection words name, as
    // --last-failed does with the record it reads.
    void keepOnly(const QStringList &words);
    // What the run came to, once exec() has returned.
    const RunResults &results() const;

private:
    // --last-failed: false when nothing failed before, and so nothing runs.
    bool selectLastFailed();
    void updateLastFailed();
    bool prepareNetwork();
    int runPlanned();
    int exitStatus() const;
    void recordEnvironment();
    QString isolationDescription() const;
    // The suite's own name for itself and the start of its first process.
    void recordSuite();
    Reporter::KeptFiles keptFiles() const;
    // A run that stops before the suite still leaves a report, so that a CI
    // system never picks up the one of an earlier run.
    int stopEarly(int status, const Reporter::KeptFiles &kept = Reporter::KeptFiles());
    // A report that was asked for but cannot be written fails an otherwise
    // clean run. Returns a note for the summary per report written.
    QStringList writeReports(bool withSuiteResults);

    CheckOptions m_options;
    QElapsedTimer m_wallTime;
    NetworkIsolation m_isolation;
    QTemporaryDir m_root;
    RunRecorder m_recorder;
    JobPlanner m_planner;
    // Destroyed before m_root, so every removal of a run tree has ended when it goes.
    JobDispatcher m_dispatcher;
    BuildHashes m_buildHashes;
    bool m_reportMissing = false;
};

#endif // KORVUCHECK_CHECKRUN_H
