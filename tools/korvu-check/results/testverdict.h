#ifndef KORVUCHECK_TESTVERDICT_H
#define KORVUCHECK_TESTVERDICT_H

#include <QString>
#include <QStringList>

// One verdict of the suite's log on a test function or data row: its outcome,
// its message and where the check that decided it stands.
struct TestVerdict
{
    enum class Outcome {
        Pass,
        Fail,
        Skip,
        ExpectedFail,
        UnexpectedPass,
        BlacklistedPass,
        BlacklistedFail,
        BlacklistedExpectedFail,
        BlacklistedUnexpectedPass
    };

    Outcome outcome = Outcome::Pass;
    QString function;
    QString row;
    QStringList messageLines;
    QString location; // "file(line)", empty when the log names none
    double seconds = 0;

    // "function" or "function(row)", without the class name.
    QString testName() const;
    // The same name for any function and row, as every report and log names them.
    static QString testName(const QString &function, const QString &row);
    // The log's own word for the outcome: PASS, FAIL, SKIP, XFAIL, ...
    QString label() const;
    bool isFailure() const;
    // Counted as blacklisted, as the test framework's totals count them: a
    // verdict that fails no run, whatever it says.
    bool isBlacklisted() const;
    // An expected failure is followed by the function's real verdict; every
    // other outcome ends the function or row.
    bool endsTest() const;
    // A verdict of an outcome that never carries a message.
    bool carriesNoMessage() const;

    // The outcome of an incident of Qt Test's XML log ("pass", "fail", ...),
    // and back.
    static bool outcomeFromIncidentType(const QString &type, Outcome *outcome);
    QString incidentType() const;
};

#endif // KORVUCHECK_TESTVERDICT_H
