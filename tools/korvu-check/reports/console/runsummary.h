#ifndef KORVUCHECK_RUNSUMMARY_H
#define KORVUCHECK_RUNSUMMARY_H

#include "results/runresults.h"
#include "results/testverdict.h"

#include <QStringList>

// Formats the progress lines and the closing summary of a run, from the
// counts and outcomes the results decide.
class RunSummary
{
public:
    explicit RunSummary(const RunResults &results);

    // "PASS  testAddDelivery(with notification)  0.03 s", followed by the
    // message lines of anything but a pass. testName: as the reports name it.
    static QStringList progressLines(const TestVerdict &verdict, const QString &testName,
                                     const QString &context = QString());
    // "FLAKY testAddDelivery(with notification)  passed on try 2 of 3  0.03 s".
    static QStringList passedOnRetryLines(const TestVerdict &verdict, const QString &testName, const QString &tryName,
                                          const QString &context = QString());
    // "FINDING  AddressSanitizer in testAvailable(No gate, no scanner)" and the
    // first lines of its report, shown under the row's progress line.
    static QStringList findingLines(const DaemonFinding &finding, const QString &testName,
                                    const QString &context = QString());
    // With repeats, how often each function and row passed; then the failures
    // with their messages, differences and traffic, the rows that passed only on a retry
    // with their failed tries, the findings, the wall time, the notes, and
    // last the line "N passed, N failed, N skipped".
    QStringList summaryLines(double wallSeconds, const QStringList &notes = QStringList()) const;

private:
    QStringList tallyLines() const;
    // The findings in the daemon's output, each with its place and first line.
    QStringList findingsSection() const;
    QStringList notRunSection() const;
    // The failed tries of the repetitions that failed in the end, or of
    // those that passed on a retry.
    QStringList failureLines(const RunResults::TestCase &row, bool ofPassedRepetitions) const;
    QString placeList(const QVector<RunResults::Origin> &origins) const;
    static QStringList detailLines(const TestVerdict &verdict, const QString &indent);

    RunResults m_results;
    QVector<RunResults::TestCase> m_rows;
    QVector<RunResults::BrokenOffProcess> m_breaks;
    QVector<RunResults::Finding> m_findings;
    RunResults::Counts m_counts;
    int m_repeat;
    int m_retries;
};

#endif // KORVUCHECK_RUNSUMMARY_H
