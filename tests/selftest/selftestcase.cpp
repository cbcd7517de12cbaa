#include "selftestcase.h"

#include "suiterun.h"
#include "textpattern.h"

namespace {

// QtTest cuts a verification's description to this many bytes.
const int descriptionByteLimit = 1023;

QString listing(const QVector<TestVerdict> &verdicts)
{
    QStringList lines;
    for (const TestVerdict &verdict : verdicts)
        lines.append(QStringLiteral("   %1 %2").arg(verdict.label(), verdict.testName()));
    return lines.join('\n');
}

QString listing(const QList<RequestRecord::Entry> &entries)
{
    QStringList lines;
    for (const RequestRecord::Entry &entry : entries)
        lines.append(QStringLiteral("   ") + entry.summary());
    return lines.join('\n');
}

} // namespace

SelfTestCase::SelfTestCase(const QString &name, const QString &scenario)
    : m_name(name)
    , m_scenario(scenario)
{
}

SelfTestCase &SelfTestCase::runs(const QString &function, const QString &dataTag)
{
    m_selection.append(qMakePair(function, dataTag));
    return *this;
}

SelfTestCase &SelfTestCase::failsVerify(const QString &function, const QString &dataTag, const QString &expression,
                                        const QString &message)
{
    return failsCompare(function, dataTag, QStringLiteral("'%1' returned FALSE. (%2)").arg(expression, message));
}

SelfTestCase &SelfTestCase::failsCompare(const QString &function, const QString &dataTag, const QString &description)
{
    m_failures.append({function, dataTag, false, description});
    return *this;
}

SelfTestCase &SelfTestCase::sends(const QStringList &requests)
{
    m_checksRequests = true;
    m_requests = requests;
    return *this;
}

SelfTestCase &SelfTestCase::checks(const Check &check)
{
    m_checks.append(check);
    return *this;
}

SelfTestCase &SelfTestCase::takesUpTo(int timeoutMs)
{
    m_timeoutMs = timeoutMs;
    return *this;
}

SelfTestCase &SelfTestCase::traced()
{
    m_traced = true;
    return *this;
}

QString SelfTestCase::name() const { return m_name; }

QString SelfTestCase::scenario() const { return m_scenario; }

QStringList SelfTestCase::suiteArguments() const
{
    QStringList arguments;
    for (const auto &selected : m_selection)
        arguments.append(selected.second.isEmpty() ? selected.first : selected.first + ':' + selected.second);
    return arguments;
}

int SelfTestCase::timeoutMs() const { return m_timeoutMs; }

bool SelfTestCase::isTraced() const { return m_traced; }

QList<SelfTestCase::Verdict> SelfTestCase::expectedVerdicts() const
{
    QList<Verdict> verdicts;
    auto expect = [this, &verdicts](const QString &function, const QString &dataTag) {
        const Verdict *failure = failureOf(function, dataTag);
        verdicts.append(failure ? *failure : Verdict{function, dataTag, true, QString()});
    };
    expect(QStringLiteral("initTestCase"), QString());
    if (verdicts.constLast().passes) {
        QList<QPair<QString, QString>> selection = m_selection;
        if (selection.isEmpty()) {
            const QStringList functions = suiteFunctions();
            for (const QString &function : functions)
                selection.append(qMakePair(function, QString()));
        }
        for (const auto &selected : qAsConst(selection)) {
            const QStringList rows = selected.second.isEmpty() ? suiteRows(selected.first)
                                                               : QStringList{selected.second};
            if (rows.isEmpty())
                expect(selected.first, QString());
            for (const QString &row : rows)
                expect(selected.first, row);
        }
    }
    expect(QStringLiteral("cleanupTestCase"), QString());
    return verdicts;
}

QString SelfTestCase::judge(const SuiteRun &run) const
{
    if (!run.errorString().isEmpty())
        return run.errorString();
    QStringList problems;
    const QString verdicts = judgeVerdicts(run);
    if (!verdicts.isEmpty())
        problems.append(verdicts);
    const QString requests = judgeRequests(run);
    if (!requests.isEmpty())
        problems.append(requests);
    for (const Check &check : m_checks) {
        const QString problem = check(run);
        if (!problem.isEmpty())
            problems.append(problem);
    }
    return problems.join(QStringLiteral("\n"));
}

QStringList SelfTestCase::suiteFunctions()
{
    return {QStringLiteral("testAvailable"),           QStringLiteral("testAddDelivery"),
            QStringLiteral("testGetDeliveries"),       QStringLiteral("testRemoveDelivery"),
            QStringLiteral("testDeliveryPersistence"), QStringLiteral("testDelivery")};
}

QStringList SelfTestCase::suiteRows(const QString &function)
{
    if (function == "testAvailable")
        return {"No gate, no scanner", "No gate, scanner", "gate, scanner"};
    if (function == "testAddDelivery") {
        return {"invalid name, valid gate, valid scanner, valid code",
                "valid name, invalid gate, valid scanner, valid code",
                "valid name, valid gate, invalid scanner, valid code",
                "valid name, valid gate, valid scanner, invalid code",
                "valid name, valid gate, valid scanner, valid code",
                "with notification",
                "with bad notification"};
    }
    if (function == "testGetDeliveries")
        return {"0", "1", "10"};
    if (function == "testDelivery") {
        return {"wrong code",
                "inactive calendar item",
                "granted (no calendar item)",
                "granted (active calendar item)",
                "granted (code with spaces)",
                "granted (code with dashes)",
                "granted (code with spaces and dashes)",
                "DHL express worldwide 1",
                "DHL express worldwide 2",
                "DHL express germany 1",
                "DHL express germany 2",
                "DHL standard germany 1",
                "DHL standard germany 2",
                "UPS Standard intl 1",
                "UPS Standard intl 2",
                "DPD Prio",
                "bad code"};
    }
    return {};
}

QString SelfTestCase::judgeVerdicts(const SuiteRun &run) const
{
    const QList<Verdict> expected = expectedVerdicts();
    const QVector<TestVerdict> actual = run.log().verdicts;
    for (int i = 0; i < qMax(expected.count(), actual.count()); ++i) {
        if (i >= expected.count() || i >= actual.count()) {
            return QStringLiteral("%1 verdicts expected, %2 reported:\n%3")
                .arg(expected.count())
                .arg(actual.count())
                .arg(listing(actual));
        }
        const Verdict &want = expected.at(i);
        const TestVerdict &got = actual.at(i);
        const QString where = want.function + (want.dataTag.isEmpty() ? QString() : ':' + want.dataTag);
        if (got.function != want.function || got.row != want.dataTag)
            return QStringLiteral("verdict %1 should be of %2:\n%3").arg(i).arg(where, listing(actual));
        const QString description = got.messageLines.join('\n');
        const auto wanted = want.passes ? TestVerdict::Outcome::Pass : TestVerdict::Outcome::Fail;
        if (got.outcome != wanted)
            return QStringLiteral("%1 should %2, it reported %3: %4")
                .arg(where, want.passes ? "pass" : "fail", got.label(), description);
        const TextPattern pattern(want.description);
        if (!want.passes && !pattern.matchesPossiblyCut(description, descriptionByteLimit))
            return QStringLiteral("%1 fails with another description:\n   %2")
                .arg(where, pattern.mismatch(description));
    }
    return QString();
}

QString SelfTestCase::judgeRequests(const SuiteRun &run) const
{
    if (!m_checksRequests)
        return QString();
    const QList<RequestRecord::Entry> actual = run.requests().entries();
    for (int i = 0; i < qMax(m_requests.count(), actual.count()); ++i) {
        if (i >= m_requests.count() || i >= actual.count()) {
            return QStringLiteral("%1 requests expected, %2 received:\n%3")
                .arg(m_requests.count())
                .arg(actual.count())
                .arg(listing(actual));
        }
        const TextPattern pattern(m_requests.at(i));
        if (!pattern.matches(actual.at(i).summary()))
            return QStringLiteral("request %1 differs:\n   %2").arg(i).arg(pattern.mismatch(actual.at(i).summary()));
    }
    return QString();
}

const SelfTestCase::Verdict *SelfTestCase::failureOf(const QString &function, const QString &dataTag) const
{
    for (const Verdict &failure : m_failures) {
        if (failure.function == function && failure.dataTag == dataTag)
            return &failure;
    }
    return nullptr;
}
