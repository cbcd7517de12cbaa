#ifndef SELFTEST_SELFTESTCASE_H
#define SELFTEST_SELFTESTCASE_H

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

#include <functional>

class SuiteRun;

// One self-test case: a scenario for the scripted daemon, the functions and
// rows of the suite to run against it, and what the suite must report. Every
// selected row is expected to pass unless the case says how it fails.
class SelfTestCase
{
public:
    struct Verdict
    {
        QString function;
        QString dataTag;
        bool passes = true;
        QString description; // a TextPattern, for failures
    };

    // Returns an empty string when the run is as expected, else what is wrong.
    using Check = std::function<QString(const SuiteRun &run)>;

    SelfTestCase(const QString &name, const QString &scenario);

    // Selects a function, or one row of it; without any selection the whole suite runs.
    SelfTestCase &runs(const QString &function, const QString &dataTag = QString());
    SelfTestCase &failsVerify(const QString &function, const QString &dataTag, const QString &expression,
                              const QString &message);
    SelfTestCase &failsCompare(const QString &function, const QString &dataTag, const QString &description);
    // The exact request record: "rpc <raw>", "http <port> <request line>", "trailing <raw>".
    SelfTestCase &sends(const QStringList &requests);
    SelfTestCase &checks(const Check &check);
    SelfTestCase &takesUpTo(int timeoutMs);
    // The run traces its traffic, and the same run without the trace must
    // print and send the same.
    SelfTestCase &traced();

    QString name() const;
    QString scenario() const;
    QStringList suiteArguments() const;
    int timeoutMs() const;
    bool isTraced() const;
    QList<Verdict> expectedVerdicts() const;

    // Everything that differs from the expectations; empty when the run is as expected.
    QString judge(const SuiteRun &run) const;

    // The functions of the suite and their rows, in run order.
    static QStringList suiteFunctions();
    static QStringList suiteRows(const QString &function);

private:
    QString judgeVerdicts(const SuiteRun &run) const;
    QString judgeRequests(const SuiteRun &run) const;
    const Verdict *failureOf(const QString &function, const QString &dataTag) const;

    QString m_name;
    QString m_scenario;
    QList<QPair<QString, QString>> m_selection;
    QList<Verdict> m_failures;
    bool m_checksRequests = false;
    QStringList m_requests;
    QList<Check> m_checks;
    int m_timeoutMs = 120000;
    bool m_traced = false;
};

#endif // SELFTEST_SELFTESTCASE_H
