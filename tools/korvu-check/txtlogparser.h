#ifndef TXTLOGPARSER_H
#define TXTLOGPARSER_H

#include "testverdict.h"

#include <QString>
#include <QVector>

// Reads a QtTest txt log line by line, as the suite writes it, and turns its
// verdict lines, their message lines and their "Loc:" lines into verdicts.
class TxtLogParser
{
public:
    enum class LineKind {
        Verdict, // the first line of a verdict
        VerdictDetail, // a message or location line of the verdict before it
        Other // debug output, warnings, headers, totals, ...
    };

    // msecs: time since the suite started; a verdict's seconds are counted
    // from the previous verdict that ended a function or row.
    LineKind addLine(const QString &line, qint64 msecs);
    // Completes a verdict still waiting for message lines (end of output).
    void finish();
    QVector<TestVerdict> takeCompleted();

    bool sawTotals() const;
    // The test class named in the log's "Start testing of" header, "" before it.
    QString testClass() const;
    // The function or row the last log line was about ("" before any), and
    // whether that line was its final verdict.
    QString lastTestName() const;
    bool lastTestEnded() const;
    // When the last function or row ended, in the msecs of addLine().
    qint64 lastTestEndMsecs() const;

    // Splits "Class::function(row) message" into its parts. Row names may
    // hold parentheses, commas and blanks; bare verdicts have no message.
    static void splitSubject(const QString &subject, bool bare, QString *function, QString *row, QString *message);

private:
    LineKind addIncident(const QString &tag, const QString &subject, qint64 msecs);
    void completePending();

    QVector<TestVerdict> m_completed;
    TestVerdict m_pending;
    bool m_hasPending = false;
    qint64 m_lastTestEndMsecs = 0;
    bool m_sawTotals = false;
    QString m_testClass;
    QString m_lastTestName;
    bool m_lastTestEnded = false;
};

#endif // TXTLOGPARSER_H
