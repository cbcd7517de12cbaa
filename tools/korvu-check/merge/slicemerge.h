#ifndef KORVUCHECK_SLICEMERGE_H
#define KORVUCHECK_SLICEMERGE_H

#include "results/runresults.h"

#include <QString>
#include <QVector>

// The results of the --shard K/N slices of one run put back together as one
// machine would have reported that run: every function and row in the
// suite's order, the hooks of all slices counted once per repetition, the
// counts, findings and breaks of all, from the earliest start to the latest
// stop. A slice that stopped before its suite's results counted (korvud never
// came up) breaks off: its setup errors fail the run, named after it.
class SliceMerge
{
public:
    enum class Problem {
        NotCtrf, // a file that cannot be read as a CTRF document of korvu-check
        NotASlice, // the report of a whole run, or of no slice K/N
        DifferentRuns, // other run ids, repetitions or selections of functions and rows
        DifferentBuilds, // of the suite, the daemon or korvu-check
        DifferentSliceCounts,
        SliceTwice,
        SliceMissing
    };

    struct Error
    {
        Problem problem = Problem::NotCtrf;
        QString detail; // the files, slices or values concerned
        QString message() const;
    };

    // Reads the CTRF document of a slice.
    bool addFile(const QString &fileName, Error *error);

    // Leaves *merged untouched when the slices are not all the slices of one run.
    bool merge(RunResults *merged, Error *error) const;

private:
    struct Slice
    {
        RunResults results;
        QString source; // its file, as errors name it
    };

    // The slice whose selection of functions and rows is the run's: the
    // first that shows one.
    static const Slice &selecting(const QVector<Slice> &slices);
    bool check(Error *error) const;
    // Whether the slice is of the same run and builds as the first one.
    bool matchesFirst(const Slice &slice, Error *error) const;
    bool hasEverySliceOnce(Error *error) const;
    // Moves the offsets past the slice's jobs and shards.
    static void addResults(const Slice &slice, int *jobOffset, int *shardOffset, RunResults *merged);

    QVector<Slice> m_slices;
};

#endif // KORVUCHECK_SLICEMERGE_H
