#ifndef CHECKRUN_H
#define CHECKRUN_H

#include "checkoptions.h"
#include "junitreport.h"

#include <QElapsedTimer>
#include <QProcessEnvironment>

#include <memory>

class NetworkIsolation;
class QTextStream;
class RunTree;
class SuiteRunner;

// One run of the check, from the run tree to the summary.
class CheckRun
{
public:
    CheckRun(const CheckOptions &options, QTextStream &out, QTextStream &err);

    // Returns the exit status of korvu-check.
    int exec();

private:
    bool prepareNetwork(const NetworkIsolation &isolation);
    bool daemonStarts(const RunTree &tree, const NetworkIsolation &isolation, const QProcessEnvironment &environment);
    int runSuite(const RunTree &tree, const NetworkIsolation &isolation, const QProcessEnvironment &environment);
    void printSummary(const SuiteRunner &runner, const RunTree &tree, bool reportWritten);
    int stopEarly(int status);
    bool writeReport(int *status);
    void printHeader(const NetworkIsolation &isolation);
    void noteKeptTree(const RunTree &tree);
    void fail(const QStringList &lines);

    CheckOptions m_options;
    QTextStream &m_out;
    QTextStream &m_err;
    QElapsedTimer m_wallTime;
    std::unique_ptr<JunitReport> m_report;
};

#endif // CHECKRUN_H
