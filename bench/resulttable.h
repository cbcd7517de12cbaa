#ifndef KORVU_BENCH_RESULTTABLE_H
#define KORVU_BENCH_RESULTTABLE_H

#include <QList>
#include <QString>

// The benchmark's report: one line per measure, with its target where there
// is one and whether the result meets it.
class ResultTable
{
public:
    // A measure without a target.
    void add(const QString &measure, const QString &result);
    // What a measure must stay below, and the unit its value and limit are shown in.
    struct Target
    {
        double limit;
        QString unit;
    };
    void add(const QString &measure, double value, const Target &target);

    QString toText() const;
    int missedTargets() const;

    static QString formatted(double value, const QString &unit);

private:
    struct Row
    {
        QString measure;
        QString result;
        QString target;
        QString verdict;
    };

    QList<Row> m_rows;
    int m_missed = 0;
};

#endif // KORVU_BENCH_RESULTTABLE_H
