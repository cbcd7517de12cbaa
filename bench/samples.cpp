#include "samples.h"

#include <algorithm>
#include <cmath>

void Samples::reserve(int count) { m_values.reserve(count); }
void Samples::add(qint64 nanoseconds) { m_values.append(nanoseconds); }
int Samples::count() const { return m_values.size(); }

qint64 Samples::percentile(double share) const
{
    if (m_values.isEmpty())
        return 0;
    QVector<qint64> sorted = m_values;
    std::sort(sorted.begin(), sorted.end());
    const int rank = int(std::ceil(share * sorted.size()));
    return sorted.at(qBound(0, rank - 1, sorted.size() - 1));
}

qint64 Samples::median() const { return percentile(0.5); }
