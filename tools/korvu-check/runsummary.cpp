#include "runsummary.h"
#include "trafficlog.h"

namespace {

const QString progressIndent = QStringLiteral("      ");
const QString failureIndent = QStringLiteral("    ");
// Lines of a finding's report shown under its row as the run goes.
const int shownFindingLines = 6;

QString seconds(double value) { return QString::number(value, 'f', 2) + QStringLiteral(" s"); }

QString runList(const QVector<int> &repetitions, int repeat)
{
    QStringList numbers;
    for (int repetition : repetitions)
        numbers.append(QString::number(repetition));
    return QStringLiteral("(run%1 %2 of %3)")
        .arg(repetitions.size() == 1 ? QString() : QStringLiteral("s"), numbers.join(QStringLiteral(", ")))
        .arg(repeat);
}

} // namespace

RunSummary::RunSummary(const RunResults &results)
    : m_results(results)
    , m_rows(results.rows())
    , m_breaks(results.breaks())
    , m_findings(results.findings())
    , m_counts(results.counts())
    , m_repeat(results.environment().repeat)
{
}

QStringList RunSummary::progressLines(const TestVerdict &verdict, const QString &testName, const QString &context)
{
    QStringList lines;
    lines.append(verdict.label().leftJustified(5) + QLatin1Char(' ') + testName + QStringLiteral("  ")
                 + seconds(verdict.seconds) + (context.isEmpty() ? QString() : QStringLiteral("  ") + context));
    if (!verdict.isBare())
        lines += detailLines(verdict, progressIndent);
    return lines;
}

QStringList RunSummary::findingLines(const DaemonFinding &finding, const QString &testName, const QString &context)
{
    QStringList lines = {QStringLiteral("FINDING %1 in %2").arg(finding.kindName(), testName)
                         + (context.isEmpty() ? QString() : QStringLiteral("  ") + context)};
    const QStringList report = finding.shortLines(shownFindingLines);
    for (const QString &line : report)
        lines.append(progressIndent + line);
    return lines;
}

QStringList RunSummary::summaryLines(double wallSeconds, const QStringList &notes) const
{
    QStringList lines;
    lines.append(QString());
    if (m_repeat > 1) {
        lines += tallyLines();
        lines.append(QString());
    }
    QStringList failures;
    for (const RunResults::Row &row : m_rows)
        failures += failureLines(row);
    for (const RunResults::Break &broken : m_breaks) {
        QString where = broken.origin.shardName;
        if (m_repeat > 1)
            where += (where.isEmpty() ? QString() : QStringLiteral(", "))
                     + runList({broken.origin.repetition}, m_repeat);
        failures.append(QStringLiteral("  FAIL ") + broken.end.description
                        + (where.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(where)));
        for (const QString &line : broken.end.lastOutput)
            failures.append(failureIndent + line);
    }
    if (!failures.isEmpty()) {
        lines.append(QStringLiteral("Failures:"));
        lines += failures;
        lines.append(QString());
    }
    if (!m_findings.isEmpty()) {
        lines.append(QStringLiteral("Findings in korvud's output:"));
        for (const RunResults::Finding &found : m_findings) {
            QStringList where;
            if (!found.origin.shardName.isEmpty())
                where.append(found.origin.shardName);
            if (m_repeat > 1)
                where.append(runList({found.origin.repetition}, m_repeat));
            lines.append(
                QStringLiteral("  %1 %2").arg(found.finding.kindName(),
                                              m_results.reportedName(found.finding.testName()))
                + (where.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(where.join(QStringLiteral(", ")))));
            lines.append(failureIndent + found.finding.lines.constFirst());
        }
        lines.append(QString());
    }
    lines.append(QStringLiteral("Wall time: ") + seconds(wallSeconds));
    if (m_counts.blacklisted > 0)
        lines.append(QStringLiteral("Blacklisted: %1").arg(m_counts.blacklisted));
    if (m_repeat > 1)
        lines.append(QStringLiteral("Flaky: %1").arg(m_counts.flaky));
    lines += notes;
    if (!m_findings.isEmpty())
        lines.append(QStringLiteral("Findings: %1").arg(m_findings.size()));
    lines.append(QStringLiteral("%1 passed, %2 failed, %3 skipped")
                     .arg(m_counts.passed)
                     .arg(m_counts.failed)
                     .arg(m_counts.skipped));
    return lines;
}

QStringList RunSummary::tallyLines() const
{
    QStringList lines = {QStringLiteral("Runs passed, per function and row:")};
    for (const RunResults::Row &row : m_rows) {
        const QString tally = QStringLiteral("%1/%2").arg(row.passes()).arg(row.verdicts().size());
        QString mark;
        if (row.isFlaky())
            mark = QStringLiteral("  FLAKY");
        else if (row.passes() == 0 && row.failures() == 0)
            mark = QStringLiteral("  skipped");
        lines.append(
            QStringLiteral("  %1  %2%3").arg(tally.rightJustified(5), m_results.reportedName(row.testName), mark));
    }
    return lines;
}

// The failures of a row; repeated runs that failed alike are shown once.
QStringList RunSummary::failureLines(const RunResults::Row &row) const
{
    QVector<RunResults::Run> shown;
    QVector<QVector<int>> repetitions;
    for (const RunResults::Run &run : row.runs) {
        if (!run.verdict.isFailure())
            continue;
        int alike = 0;
        while (alike < shown.size()
               && (shown.at(alike).verdict.messageLines != run.verdict.messageLines
                   || shown.at(alike).verdict.outcome != run.verdict.outcome))
            ++alike;
        if (alike == shown.size()) {
            shown.append(run);
            repetitions.append(QVector<int>());
        }
        repetitions[alike].append(run.origin.repetition);
    }

    QStringList lines;
    for (int i = 0; i < shown.size(); ++i) {
        const RunResults::Run &run = shown.at(i);
        QString header = QStringLiteral("  ") + run.verdict.label() + QLatin1Char(' ')
                         + m_results.reportedName(row.testName);
        if (m_repeat > 1)
            header += QStringLiteral("  ") + runList(repetitions.at(i), m_repeat);
        lines.append(header);
        lines += detailLines(run.verdict, failureIndent);
        for (const QString &note : run.notes)
            lines.append(failureIndent + note);
        const QStringList exchanges = TrafficLog::lines(run.exchanges);
        for (const QString &exchange : exchanges)
            lines.append(failureIndent + exchange);
    }
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
