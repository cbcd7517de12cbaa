#include "runsummary.h"

namespace {

const QString progressIndent = QStringLiteral("      ");
const QString failureIndent = QStringLiteral("    ");

QString seconds(double value) { return QString::number(value, 'f', 2) + QStringLiteral(" s"); }

} // namespace

void RunSummary::addVerdict(const TestVerdict &verdict)
{
    if (verdict.isFailure())
        m_failures.append(verdict);

    switch (verdict.outcome) {
    case TestVerdict::Outcome::Pass:
        ++m_passed;
        break;
    case TestVerdict::Outcome::Fail:
    case TestVerdict::Outcome::UnexpectedPass:
        ++m_failed;
        break;
    case TestVerdict::Outcome::Skip:
        ++m_skipped;
        break;
    case TestVerdict::Outcome::BlacklistedPass:
    case TestVerdict::Outcome::BlacklistedFail:
    case TestVerdict::Outcome::BlacklistedUnexpectedPass:
        ++m_blacklisted;
        break;
    case TestVerdict::Outcome::ExpectedFail:
    case TestVerdict::Outcome::BlacklistedExpectedFail:
        break;
    }
}

void RunSummary::addAbnormalEnd(const QString &description, const QStringList &lastOutput)
{
    TestVerdict verdict;
    verdict.outcome = TestVerdict::Outcome::Fail;
    verdict.function = description;
    verdict.messageLines = lastOutput;
    m_failures.append(verdict);
    ++m_failed;
}

int RunSummary::passed() const { return m_passed; }

int RunSummary::failed() const { return m_failed; }

int RunSummary::skipped() const { return m_skipped; }

int RunSummary::blacklisted() const { return m_blacklisted; }

QStringList RunSummary::progressLines(const TestVerdict &verdict)
{
    QStringList lines;
    lines.append(verdict.label().leftJustified(5) + QLatin1Char(' ') + verdict.testName() + QStringLiteral("  ")
                 + seconds(verdict.seconds));
    if (!verdict.isBare())
        lines += detailLines(verdict, progressIndent);
    return lines;
}

QStringList RunSummary::summaryLines(double wallSeconds, const QStringList &notes) const
{
    QStringList lines;
    lines.append(QString());
    if (!m_failures.isEmpty()) {
        lines.append(QStringLiteral("Failures:"));
        for (const TestVerdict &failure : m_failures) {
            lines.append(QStringLiteral("  ") + failure.label() + QLatin1Char(' ') + failure.testName());
            lines += detailLines(failure, failureIndent);
        }
        lines.append(QString());
    }
    lines.append(QStringLiteral("Wall time: ") + seconds(wallSeconds));
    if (m_blacklisted > 0)
        lines.append(QStringLiteral("Blacklisted: %1").arg(m_blacklisted));
    lines += notes;
    lines.append(QStringLiteral("%1 passed, %2 failed, %3 skipped").arg(m_passed).arg(m_failed).arg(m_skipped));
    return lines;
}

QStringList RunSummary::detailLines(const TestVerdict &verdict, const QString &indent)
{
    QStringList lines;
    for (const QString &message : verdict.messageLines)
        lines.append(indent + message);
    if (verdict.isFailure() && !verdict.location.isEmpty())
        lines.append(indent + QStringLiteral("at ") + verdict.location);
    return lines;
}
