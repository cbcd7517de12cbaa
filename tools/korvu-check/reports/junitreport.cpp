#include "reports/junitreport.h"
#include "collect/failuredifference.h"
#include "collect/trafficlog.h"
#include "reports/xmltext.h"

#include <QMap>
#include <QXmlStreamWriter>

#include <algorithm>

namespace {

// A time attribute, in seconds to the millisecond.
QString timeAttribute(double value) { return QString::number(value, 'f', 3); }

// The message as the suite printed it, where it stands, and what differs.
QString failureText(const RunResults::Run &run)
{
    QStringList lines = run.verdict.messageLines;
    if (!run.verdict.location.isEmpty())
        lines.append(QStringLiteral("Loc: [%1]").arg(run.verdict.location));
    const QStringList difference = FailureDifference::of(run.verdict, run.exchanges).lines();
    if (!difference.isEmpty())
        lines.append(QStringLiteral("difference:\n  ") + difference.join(QStringLiteral("\n  ")));
    return lines.join(QLatin1Char('\n'));
}

QString blacklistedMessage(const RunResults::Run &run)
{
    return QStringLiteral("blacklisted, %1: %2").arg(run.verdict.label(), failureText(run));
}

QString firstLine(const TestVerdict &verdict)
{
    return verdict.messageLines.isEmpty() ? verdict.label() : verdict.messageLines.constFirst();
}

} // namespace

JunitReport::JunitReport(int outputLimit)
    : m_startTime(QDateTime::currentDateTime())
    , m_output(outputLimit)
{
}

void JunitReport::addVerdict(const RunResults::Run &run)
{
    const TestVerdict &verdict = run.verdict;
    // An expected failure is followed by the verdict of the same function or
    // row; it is kept as a note of that test case.
    if (!verdict.endsTest()) {
        m_pendingNotes.append(verdict.label() + QStringLiteral(": ") + failureText(run));
        return;
    }

    TestCase testCase;
    testCase.name = verdict.testName();
    testCase.seconds = verdict.seconds;
    testCase.notes = m_pendingNotes + run.notes
                     + (verdict.isFailure() ? TrafficLog::lines(run.exchanges) : QStringList());
    m_pendingNotes.clear();

    switch (verdict.outcome) {
    case TestVerdict::Outcome::Fail:
    case TestVerdict::Outcome::UnexpectedPass:
        testCase.result = TestCase::Result::Failed;
        testCase.type = verdict.outcome == TestVerdict::Outcome::Fail ? QStringLiteral("fail")
                                                                      : QStringLiteral("xpass");
        testCase.message = firstLine(verdict);
        testCase.text = failureText(run);
        break;
    case TestVerdict::Outcome::Skip:
        testCase.result = TestCase::Result::Skipped;
        testCase.message = verdict.messageLines.join(QLatin1Char('\n'));
        break;
    case TestVerdict::Outcome::BlacklistedPass:
    case TestVerdict::Outcome::BlacklistedFail:
    case TestVerdict::Outcome::BlacklistedUnexpectedPass:
        // Blacklisted results do not fail the run, so they must not turn the
        // CI report red either; they stay visible as skips.
        testCase.result = TestCase::Result::Skipped;
        testCase.message = blacklistedMessage(run);
        break;
    default:
        testCase.result = TestCase::Result::Passed;
        break;
    }
    m_cases.append(testCase);
}

void JunitReport::addRow(const RunResults::TestCase &row, const RowStatus &status, const QString &caseName)
{
    const QVector<RunResults::Run> last = row.finalVerdicts();
    if (last.size() > 1) {
        addRepeatedRow(row, caseName);
    } else {
        // A case that failed every try reports its first failure, one that
        // passed in the end its last try.
        int reportedAttempt = row.runs.isEmpty() ? 1 : row.runs.constFirst().origin.attempt;
        if (!last.isEmpty() && !last.constFirst().verdict.isFailure())
            reportedAttempt = last.constFirst().origin.attempt;
        QVector<RunResults::Run> reported;
        for (const RunResults::Run &run : row.runs) {
            if (run.origin.attempt != reportedAttempt)
                continue;
            addVerdict(run);
            if (run.verdict.endsTest())
                reported.append(run);
        }
        if (!reported.isEmpty()) {
            m_cases.last().name = caseName;
            m_cases.last().reruns = reruns(row, reported);
        }
    }
    if (m_cases.isEmpty())
        return;
    TestCase &testCase = m_cases.last();
    for (const RunResults::Finding &found : row.findings)
        testCase.findings.append(found.finding);
    // A break in the row is a test case of its own, an error.
    testCase.failsRun = status.failsRun() && status.cause != RowStatus::Cause::BrokenOff;
    if (status.cause == RowStatus::Cause::PassedOnlyOnRetry) {
        testCase.result = TestCase::Result::Failed;
        testCase.type = QStringLiteral("flaky");
        testCase.message = status.reason;
    }
}

bool JunitReport::write(const RunResults &results, QIODevice *device)
{
    m_suiteName = results.suiteName();
    m_startTime = results.startTime();
    // Where the run ran, not where its report is written: a merge's is that of its slices.
    m_hostName = results.environment().hostName;
    m_seconds = results.seconds();
    const QStringList output = results.outputLines();
    for (const QString &line : output)
        m_output.addLine(line);
    const QVector<RunResults::SetupError> setupErrors = results.setupErrors();
    for (const RunResults::SetupError &setupError : setupErrors)
        addError(setupTestName, QStringLiteral("setup"), setupError.message, setupError.details);

    const QVector<RunResults::TestCase> rows = results.rowsWithHooksMerged();
    for (const RunResults::TestCase &row : rows)
        addRow(row, results.status(row), results.reportedName(row.testName));
    const QVector<RunResults::NotRunTest> notRun = results.notRun();
    for (const RunResults::NotRunTest &test : notRun) {
        TestCase testCase;
        testCase.name = results.reportedName(test.testName);
        testCase.result = TestCase::Result::Skipped;
        testCase.message = test.reason;
        m_cases.append(testCase);
    }
    QMap<QString, QVector<RunResults::Finding>> unplaced;
    const QVector<RunResults::Finding> findings = results.findingsWithoutVerdict();
    for (const RunResults::Finding &found : findings)
        unplaced[found.finding.testName()].append(found);
    for (auto it = unplaced.cbegin(); it != unplaced.cend(); ++it)
        addFindings(results.reportedName(it.key()), it.value());
    const QVector<RunResults::BrokenOffProcess> breaks = results.breaks();
    for (const RunResults::BrokenOffProcess &suiteBreak : breaks) {
        addError(suiteBreak.testName.isEmpty() ? results.suiteFile() : suiteBreak.testName, suiteBreak.type,
                 suiteBreak.describedWithShard(), suiteBreak.lastOutput, suiteBreak.seconds);
    }
    return writeXml(device);
}

void JunitReport::addFindings(const QString &testName, const QVector<RunResults::Finding> &findings)
{
    TestCase testCase;
    testCase.name = testName;
    for (const RunResults::Finding &found : findings)
        testCase.findings.append(found.finding);
    testCase.failsRun = true;
    m_cases.append(testCase);
}

void JunitReport::addError(const QString &testName, const QString &type, const QString &message,
                           const QStringList &output, double seconds)
{
    TestCase testCase;
    testCase.name = testName;
    testCase.seconds = seconds;
    testCase.result = TestCase::Result::Error;
    testCase.type = type;
    testCase.message = message;
    testCase.text = output.join(QLatin1Char('\n'));
    testCase.notes = m_pendingNotes;
    m_pendingNotes.clear();
    m_cases.append(testCase);
}

int JunitReport::tests() const { return m_cases.size(); }

int JunitReport::failures() const { return count(TestCase::Result::Failed); }

int JunitReport::errors() const { return count(TestCase::Result::Error); }

int JunitReport::skipped() const { return count(TestCase::Result::Skipped); }

bool JunitReport::writeXml(QIODevice *device) const
{
    QXmlStreamWriter xml(device);
    xml.setAutoFormatting(true);
    xml.writeStartDocument();
    xml.writeStartElement(QStringLiteral("testsuite"));
    xml.writeAttribute(QStringLiteral("name"), XmlText::safe(m_suiteName));
    xml.writeAttribute(QStringLiteral("tests"), QString::number(tests()));
    xml.writeAttribute(QStringLiteral("failures"), QString::number(failures()));
    xml.writeAttribute(QStringLiteral("errors"), QString::number(errors()));
    xml.writeAttribute(QStringLiteral("skipped"), QString::number(skipped()));
    xml.writeAttribute(QStringLiteral("time"), timeAttribute(m_seconds));
    xml.writeAttribute(QStringLiteral("timestamp"), m_startTime.toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss")));
    xml.writeAttribute(QStringLiteral("hostname"), XmlText::safe(m_hostName));

    for (const TestCase &testCase : m_cases)
        writeTestCase(xml, testCase);

    if (!m_output.isEmpty())
        xml.writeTextElement(QStringLiteral("system-out"), XmlText::safe(m_output.text()));
    xml.writeEndElement();
    xml.writeEndDocument();
    return !xml.hasError();
}

void JunitReport::writeTestCase(QXmlStreamWriter &xml, const TestCase &testCase) const
{
    xml.writeStartElement(QStringLiteral("testcase"));
    xml.writeAttribute(QStringLiteral("classname"), XmlText::safe(m_suiteName));
    xml.writeAttribute(QStringLiteral("name"), XmlText::safe(testCase.name));
    xml.writeAttribute(QStringLiteral("time"), timeAttribute(testCase.seconds));
    switch (testCase.result) {
    case TestCase::Result::Passed:
        break;
    case TestCase::Result::Skipped:
        xml.writeEmptyElement(QStringLiteral("skipped"));
        xml.writeAttribute(QStringLiteral("message"), XmlText::safe(testCase.message));
        break;
    case TestCase::Result::Failed:
    case TestCase::Result::Error:
        xml.writeStartElement(testCase.result == TestCase::Result::Failed ? QStringLiteral("failure")
                                                                          : QStringLiteral("error"));
        xml.writeAttribute(QStringLiteral("message"), XmlText::safe(testCase.message));
        xml.writeAttribute(QStringLiteral("type"), XmlText::safe(testCase.type));
        xml.writeCharacters(XmlText::safe(testCase.text));
        xml.writeEndElement();
        break;
    }
    for (const Rerun &rerun : testCase.reruns) {
        xml.writeStartElement(rerun.element);
        xml.writeAttribute(QStringLiteral("message"), XmlText::safe(rerun.message));
        xml.writeAttribute(QStringLiteral("type"), rerun.type);
        xml.writeTextElement(QStringLiteral("stackTrace"), XmlText::safe(rerun.text));
        if (!rerun.output.isEmpty())
            xml.writeTextElement(QStringLiteral("system-out"), XmlText::safe(rerun.output.join(QLatin1Char('\n'))));
        xml.writeEndElement();
    }
    QStringList findingLines;
    for (const DaemonFinding &finding : testCase.findings) {
        xml.writeStartElement(QStringLiteral("failure"));
        xml.writeAttribute(QStringLiteral("message"),
                           XmlText::safe(QStringLiteral("%1: %2").arg(finding.kindName(), finding.lines.constFirst())));
        xml.writeAttribute(QStringLiteral("type"), QStringLiteral("daemon-finding"));
        xml.writeCharacters(XmlText::safe(finding.lines.join(QLatin1Char('\n'))));
        xml.writeEndElement();
        findingLines += finding.lines;
    }
    if (!testCase.notes.isEmpty())
        xml.writeTextElement(QStringLiteral("system-out"), XmlText::safe(testCase.notes.join(QLatin1Char('\n'))));
    if (!findingLines.isEmpty())
        xml.writeTextElement(QStringLiteral("system-err"), XmlText::safe(findingLines.join(QLatin1Char('\n'))));
    xml.writeEndElement();
}

void JunitReport::addRepeatedRow(const RunResults::TestCase &row, const QString &caseName)
{
    const QVector<RunResults::Run> runs = row.finalVerdicts();
    TestCase testCase;
    testCase.name = caseName;
    QStringList failures;
    const RunResults::Run *firstFailure = nullptr;
    for (const RunResults::Run &run : runs) {
        testCase.seconds += run.verdict.seconds;
        if (!run.verdict.isFailure())
            continue;
        if (!firstFailure)
            firstFailure = &run;
        failures.append(QStringLiteral("run %1: %2").arg(run.origin.repetition).arg(failureText(run)));
    }

    const RunResults::Outcome outcome = row.outcome();
    if (firstFailure) {
        testCase.result = TestCase::Result::Failed;
        testCase.text = failures.join(QLatin1Char('\n'));
        testCase.notes = firstFailure->notes + TrafficLog::lines(firstFailure->exchanges);
        if (row.isFlaky()) {
            testCase.type = QStringLiteral("flaky");
            testCase.message = QStringLiteral("flaky: passed %1 of %2 runs").arg(row.passes()).arg(runs.size());
        } else {
            testCase.type = QStringLiteral("fail");
            testCase.message = QStringLiteral("failed %1 of %2 runs: %3")
                                   .arg(failures.size())
                                   .arg(runs.size())
                                   .arg(firstLine(firstFailure->verdict));
        }
    } else if (outcome == RunResults::Outcome::Skipped) {
        testCase.result = TestCase::Result::Skipped;
        testCase.message = runs.constFirst().verdict.messageLines.join(QLatin1Char('\n'));
    } else if (outcome == RunResults::Outcome::Other && !runs.isEmpty()) {
        testCase.result = TestCase::Result::Skipped;
        testCase.message = blacklistedMessage(runs.constFirst());
    }
    testCase.reruns = reruns(row, runs);
    m_cases.append(testCase);
}

QVector<JunitReport::Rerun> JunitReport::reruns(const RunResults::TestCase &row,
                                                const QVector<RunResults::Run> &reported)
{
    QVector<RunResults::Run> failedInTheEnd;
    for (const RunResults::Run &run : row.finalVerdicts()) {
        if (run.verdict.isFailure())
            failedInTheEnd.append(run);
    }
    const auto sameRun = [](const RunResults::Run &a, const RunResults::Run &b) {
        return a.origin.repetition == b.origin.repetition && a.origin.attempt == b.origin.attempt;
    };
    QVector<Rerun> tries;
    for (const RunResults::Run &run : row.runs) {
        if (!run.verdict.isFailure() || !run.verdict.endsTest()
            || std::any_of(reported.cbegin(), reported.cend(),
                           [&](const RunResults::Run &shown) { return sameRun(shown, run); }))
            continue;
        const bool failed = std::any_of(
            failedInTheEnd.cbegin(), failedInTheEnd.cend(),
            [&run](const RunResults::Run &f) { return f.origin.repetition == run.origin.repetition; });
        tries.append(
            {failed ? QStringLiteral("rerunFailure") : QStringLiteral("flakyFailure"),
             run.verdict.outcome == TestVerdict::Outcome::Fail ? QStringLiteral("fail") : QStringLiteral("xpass"),
             firstLine(run.verdict), failureText(run), run.notes + TrafficLog::lines(run.exchanges)});
    }
    return tries;
}

int JunitReport::count(TestCase::Result result) const
{
    int matching = 0;
    for (const TestCase &testCase : m_cases) {
        if (testCase.counts(result))
            ++matching;
    }
    return matching;
}

// A case whose findings fail the run counts as failed unless it is an error
// already.
bool JunitReport::TestCase::counts(Result as) const
{
    if (!failsRun || this->result == Result::Error)
        return this->result == as;
    return as == Result::Failed;
}
