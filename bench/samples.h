#ifndef KORVU_BENCH_SAMPLES_H
#define KORVU_BENCH_SAMPLES_H

#include <QVector>

// Measured durations in nanoseconds, with the statistics the report needs.
class Samples
{
public:
    void reserve(int count);
    void add(qint64 nanoseconds);
    int count() const;

    // The value below which the given share of the samples lies (nearest rank); 0 when empty.
    qint64 percentile(double share) const;
    qint64 median() const;

private:
    QVector<qint64> m_values;
};

#endif // KORVU_BENCH_SAMPLES_H
