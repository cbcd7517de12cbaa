#ifndef KORVUCHECK_JUNITREPORT_H
#define KORVUCHECK_JUNITREPORT_H

#include "reports/outputexcerpt.h"
#include "reports/reporter.h"
#include "results/runresults.h"
#include "results/testverdict.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVector>

class QIODevice;
class QXmlStreamWriter;

// The results of a check as JUnit XML for CI systems: one testsuite, one
// testcase per function and data row, an error test case when a run broke
// off, and the suite's console output (its head and tail when long). A test
// case keeps the traffic behind its failure in its own system-out, and the
// findings in the daemon's output in its system-err, each also a failure of
// type "daemon-finding" so that CI marks the case whatever its verdict.
// Tries that failed and ran again (--retries) are written as the build tools
// that rerun tests write them, which CI servers read: each failed try of a
// case that passed in the end as a <flakyFailure>, the retries of one that
// failed every try as <rerunFailure>s after its <failure>.
class JunitReport : public Reporter
{
public:
    static constexpr int defaultOutputLimit = 1024 * 1024;

    // outputLimit: characters of console output kept for <system-out>.
    explicit JunitReport(int outputLimit = defaultOutputLimit);

    // Adds the whole run to the report and writes it as XML.
    bool write(const RunResults &results, QIODevice *device) override;

private:
    // A run as its verdict says, with its notes and, for a failure, its traffic in the test case's own system-out.
    void addVerdict(const RunResults::Run &run);
    // A function or row with all its runs: a single run as its verdict says;
    // repeated runs pass together, fail together, or are marked flaky;
    // retried tries go with them.
    // caseName: the row as reports name it. One that fails the run only by
    // passing on a retry (--fail-on-flaky) is a failure of type "flaky".
    void addRow(const RunResults::TestCase &row, const RowStatus &status, const QString &caseName);
    // Findings of a function or row that has no verdict, as the suite broke off in it.
    void addFindings(const QString &testName, const QVector<RunResults::Finding> &findings);
    // The run broke off (crash, stop, no results) or never got to the suite.
    // type names the kind, e.g. "crash"; output is the text of the error.
    void addError(const QString &testName, const QString &type, const QString &message, const QStringList &output,
                  double seconds = 0);

    int tests() const;
    int failures() const;
    int errors() const;
    int skipped() const;

    // The test cases added so far, as XML.
    bool writeXml(QIODevice *device) const;

    // A failed try of a test case that ran again.
    struct Rerun
    {
        QString element; // flakyFailure or rerunFailure
        QString type;
        QString message;
        QString text;
        QStringList output;
    };

    struct TestCase
    {
        enum class Result { Passed, Failed, Skipped, Error };

        QString name;
        double seconds = 0;
        Result result = Result::Passed;
        QString type;
        QString message;
        QString text;
        QStringList notes;
        QVector<DaemonFinding> findings;
        QVector<Rerun> reruns;
        // As the row's status says, for a reason the case itself shows.
        bool failsRun = false;

        bool counts(Result as) const;
    };

    void writeTestCase(QXmlStreamWriter &xml, const TestCase &testCase) const;
    void addRepeatedRow(const RunResults::TestCase &row, const QString &caseName);
    // The failed tries of the row other than those of the case's verdict.
    static QVector<Rerun> reruns(const RunResults::TestCase &row, const QVector<RunResults::Run> &reported);
    int count(TestCase::Result result) const;

    QString m_suiteName;
    QDateTime m_startTime;
    QString m_hostName;
    double m_seconds = 0;
    QVector<TestCase> m_cases;
    QStringList m_pendingNotes;

    OutputExcerpt m_output;
};

#endif // KORVUCHECK_JUNITREPORT_H
