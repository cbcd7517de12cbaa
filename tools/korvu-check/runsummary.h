#ifndef RUNSUMMARY_H
#define RUNSUMMARY_H

#include "testverdict.h"

#include <QStringList>
#include <QVector>

// Counts the verdicts of a run the way the test framework's totals do and
// formats the progress lines and the closing summary.
class RunSummary
{
public:
    void addVerdict(const TestVerdict &verdict);
    // The suite ended without its totals (crash, abort, bad arguments): counts
    // as one failure so the run can never look clean.
    void addAbnormalEnd(const QString &description, const QStringList &lastOutput);

    int passed() const;
    int failed() const;
    int skipped() const;
    int blacklisted() const;

    // "PASS  testAddDelivery(with notification)  0.03 s", followed by the
    // message lines of anything but a pass.
    static QStringList progressLines(const TestVerdict &verdict);
    // Failures with their messages, the wall time, the notes, and last the
    // line "N passed, N failed, N skipped".
    QStringList summaryLines(double wallSeconds, const QStringList &notes = QStringList()) const;

private:
    static QStringList detailLines(const TestVerdict &verdict, const QString &indent);

    int m_passed = 0;
    int m_failed = 0;
    int m_skipped = 0;
    int m_blacklisted = 0;
    QVector<TestVerdict> m_failures;
};

#endif // RUNSUMMARY_H
