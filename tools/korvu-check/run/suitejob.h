#ifndef KORVUCHECK_SUITEJOB_H
#define KORVUCHECK_SUITEJOB_H

#include "results/runresults.h"
#include "run/runtree.h"
#include "run/suiterunner.h"

#include <memory>

// One suite process of a run: what it runs, where, and its runner once it is
// dispatched.
struct SuiteJob
{
    RunResults::Origin origin;
    QString name; // of its run tree and kept trace; empty for a single process
    QStringList arguments;
    // The functions and rows it is to run, without the hooks; empty when the
    // run had no need to list them.
    QStringList testNames;
    double expectedSeconds = 0;
    // Long enough to start before the quick jobs, which share the machine meanwhile.
    bool runsAlone = false;
    RunTree tree;
    std::unique_ptr<SuiteRunner> runner;
};

#endif // KORVUCHECK_SUITEJOB_H
