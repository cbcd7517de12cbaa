#include "reports/html/htmlreport.h"
#include "reports/html/htmlpageassets.h"
#include "reports/html/htmlwriter.h"
#include "reports/html/rowbars.h"
#include "reports/html/rundetailshtml.h"

#include <QIODevice>

#include <algorithm>

namespace {

using Outcome = RunResults::Outcome;

QString stateClass(Outcome outcome)
{
    switch (outcome) {
    case Outcome::Failed:
    case Outcome::BrokenOff:
        return QStringLiteral("fail");
    case Outcome::Flaky:
        return QStringLiteral("flaky");
    case Outcome::Passed:
        return QStringLiteral("pass");
    case Outcome::Skipped:
    case Outcome::NotRun:
        return QStringLiteral("skip");
    case Outcome::Other:
        break;
    }
    return QStringLiteral("other");
}

QString stateLabel(Outcome outcome, const RunResults::TestCase &row)
{
    if (outcome == Outcome::Other)
        return row.finalVerdicts().isEmpty() ? QStringLiteral("?") : row.finalVerdicts().constFirst().verdict.label();
    return stateClass(outcome).toUpper();
}

bool needsAttention(const RowStatus &status) { return status.failsRun() || status.outcome == Outcome::Flaky; }

QString rowId(int index) { return QStringLiteral("row-%1").arg(index + 1); }

} // namespace

bool HtmlReport::write(const RunResults &results, QIODevice *device)
{
    const QByteArray html = page(results).toUtf8();
    return device->write(html) == html.size();
}

QString HtmlReport::page(const RunResults &results)
{
    const QVector<RunResults::TestCase> rows = results.rowsWithHooksMerged();
    HtmlWriter html;
    html.startDocument();
    html.open(QStringLiteral("html"), {{QStringLiteral("xmlns"), QStringLiteral("http://www.w3.org/1999/xhtml")},
                                       {QStringLiteral("lang"), QStringLiteral("en")}});
    writeHead(html, results);
    html.open(QStringLiteral("body"));
    writeHeader(html, results);
    writeBrokenRuns(html, results);
    writeFindingsWithoutVerdict(html, results);
    writeAttention(html, results, rows);
    writeVerdicts(html, results, rows);
    html.open(QStringLiteral("script"));
    html.trusted(HtmlPageAssets::script());
    html.close();
    return html.finished();
}

void HtmlReport::writeHead(HtmlWriter &html, const RunResults &results)
{
    const RunResults::Counts counts = results.counts();
    html.open(QStringLiteral("head"));
    html.empty(QStringLiteral("meta"), {{QStringLiteral("charset"), QStringLiteral("utf-8")}});
    html.empty(QStringLiteral("meta"),
               {{QStringLiteral("name"), QStringLiteral("viewport")},
                {QStringLiteral("content"), QStringLiteral("width=device-width, initial-scale=1")}});
    html.element(QStringLiteral("title"), QStringLiteral("korvu-check: %1: %2 passed, %3 failed")
                                              .arg(results.suiteName())
                                              .arg(counts.passed)
                                              .arg(counts.failed));
    html.open(QStringLiteral("style"));
    html.trusted(HtmlPageAssets::style());
    html.close();
    html.close();
}

void HtmlReport::writeHeader(HtmlWriter &html, const RunResults &results)
{
    const RunResults::Environment environment = results.environment();
    const RunResults::Counts counts = results.counts();
    html.open(QStringLiteral("header"));
    html.element(QStringLiteral("h1"), QStringLiteral("korvu-check: %1").arg(results.suiteName()));
    html.open(QStringLiteral("p"), {{QStringLiteral("class"), QStringLiteral("counts")}});
    const QVector<QPair<QString, QString>> tallies = {
        {QStringLiteral("%1 passed").arg(counts.passed), QStringLiteral("verdict-pass")},
        {QStringLiteral("%1 failed").arg(counts.failed),
         counts.failed > 0 ? QStringLiteral("verdict-fail") : QString()},
        {QStringLiteral("%1 skipped").arg(counts.skipped), QString()},
    };
    for (const auto &tally : tallies)
        html.element(QStringLiteral("span"), tally.first, {{QStringLiteral("class"), tally.second}});
    if (counts.notRun > 0)
        html.element(QStringLiteral("span"), QStringLiteral("%1 not run").arg(counts.notRun));
    if (counts.blacklisted > 0)
        html.element(QStringLiteral("span"), QStringLiteral("%1 blacklisted").arg(counts.blacklisted));
    if (counts.flaky > 0)
        html.element(QStringLiteral("span"), QStringLiteral("%1 flaky").arg(counts.flaky),
                     {{QStringLiteral("class"), QStringLiteral("verdict-flaky")}});
    if (!results.findings().isEmpty())
        html.element(QStringLiteral("span"), QStringLiteral("%1 findings").arg(results.findings().size()),
                     {{QStringLiteral("class"), QStringLiteral("verdict-fail")}});
    html.close();

    QString how = results.shardCount() > 0 ? QStringLiteral("%1 shards").arg(results.shardCount())
                                           : QStringLiteral("one suite process");
    if (environment.sliceCount > 0)
        how += QStringLiteral(", slice %1 of %2").arg(environment.sliceIndex).arg(environment.sliceCount);
    if (environment.repeat > 1)
        how += QStringLiteral(", %1 times").arg(environment.repeat);
    if (environment.retries > 0)
        how += QStringLiteral(", up to %1 retries of a failed row%2")
                   .arg(environment.retries)
                   .arg(environment.failOnFlaky ? QStringLiteral(" (flaky rows fail the run)") : QString());
    const QVector<QPair<QString, QString>> facts = {
        {QStringLiteral("daemon"), environment.daemon},
        {QStringLiteral("suite"), environment.suite.isEmpty() ? results.suiteFile() : environment.suite},
        {QStringLiteral("mock plug-ins"), environment.mocksDir},
        {QStringLiteral("experience plug-ins"), environment.experienceDir},
        {QStringLiteral("wrapped in"), environment.wrapCommand.join(QLatin1Char(' '))},
        {QStringLiteral("run"), how},
        {QStringLiteral("isolation"), environment.isolation},
        {QStringLiteral("started"), results.startTime().toString(Qt::ISODate)},
        {QStringLiteral("wall time"), Reporter::seconds(results.seconds())},
        {QStringLiteral("host"), environment.hostName},
        {QStringLiteral("Qt"), environment.qtVersion},
        {QStringLiteral("korvu-check"), environment.toolVersion},
        {QStringLiteral("run id"), environment.runId},
    };
    html.open(QStringLiteral("dl"), {{QStringLiteral("class"), QStringLiteral("environment")}});
    for (const auto &fact : facts) {
        if (fact.second.isEmpty())
            continue;
        html.element(QStringLiteral("dt"), fact.first);
        html.element(QStringLiteral("dd"), fact.second);
    }
    html.close();
    html.close();
}

void HtmlReport::writeBrokenRuns(HtmlWriter &html, const RunResults &results)
{
    const QVector<RunResults::SetupError> setupErrors = results.setupErrors();
    const QVector<RunResults::BrokenOffProcess> breaks = results.breaks();
    if (setupErrors.isEmpty() && breaks.isEmpty())
        return;
    html.element(QStringLiteral("h2"), QStringLiteral("The run broke off"),
                 {{QStringLiteral("class"), QStringLiteral("verdict-fail")}});
    for (const RunResults::SetupError &setupError : setupErrors) {
        html.element(QStringLiteral("pre"),
                     (QStringList{setupError.message} + setupError.details).join(QLatin1Char('\n')),
                     {{QStringLiteral("class"), QStringLiteral("message setup")}});
    }
    for (const RunResults::BrokenOffProcess &suiteBreak : breaks) {
        html.element(QStringLiteral("pre"),
                     (QStringList{suiteBreak.describedWithShard()} + suiteBreak.lastOutput).join(QLatin1Char('\n')),
                     {{QStringLiteral("class"), QStringLiteral("message break")}});
    }
}

// Where the suite broke off in a function or row, its findings have no row
// of the table to stand under.
void HtmlReport::writeFindingsWithoutVerdict(HtmlWriter &html, const RunResults &results)
{
    const QVector<RunResults::Finding> findings = results.findingsWithoutVerdict();
    if (findings.isEmpty())
        return;
    html.element(QStringLiteral("h2"), QStringLiteral("Findings where no verdict came"),
                 {{QStringLiteral("class"), QStringLiteral("verdict-fail")}});
    for (const RunResults::Finding &found : findings) {
        html.element(QStringLiteral("h3"),
                     QStringLiteral("Finding: %1 in %2")
                         .arg(found.finding.kindName(), results.reportedName(found.finding.testName())));
        html.element(QStringLiteral("pre"), found.finding.lines.join(QLatin1Char('\n')),
                     {{QStringLiteral("class"), QStringLiteral("finding")}});
    }
}

// The rows that need a look come first, one click from their details below.
void HtmlReport::writeAttention(HtmlWriter &html, const RunResults &results, const QVector<RunResults::TestCase> &rows)
{
    QVector<int> indexes;
    for (int i = 0; i < rows.size(); ++i) {
        if (needsAttention(results.status(rows.at(i))))
            indexes.append(i);
    }
    if (indexes.isEmpty())
        return;
    html.element(QStringLiteral("h2"), QStringLiteral("Failed and flaky"));
    html.open(QStringLiteral("ul"), {{QStringLiteral("class"), QStringLiteral("attention")}});
    for (int index : qAsConst(indexes)) {
        const RunResults::TestCase &row = rows.at(index);
        const Outcome state = row.outcome();
        html.open(QStringLiteral("li"));
        html.element(QStringLiteral("span"), stateLabel(state, row),
                     {{QStringLiteral("class"), QStringLiteral("label verdict-") + stateClass(state)}});
        html.text(QStringLiteral(" "));
        html.element(QStringLiteral("a"), row.testName,
                     {{QStringLiteral("href"), QLatin1Char('#') + rowId(index) + QStringLiteral("-detail")}});
        for (const RunResults::Run &run : row.endedRuns()) {
            if (run.verdict.isFailure() && !run.verdict.messageLines.isEmpty()) {
                html.text(QStringLiteral(": ") + run.verdict.messageLines.constFirst());
                break;
            }
        }
        // Its failed tries say why it is flaky, not why it fails the run.
        const RowStatus status = results.status(row);
        if (status.cause == RowStatus::Cause::PassedOnlyOnRetry)
            html.text(QStringLiteral(" (fails the run: %1)").arg(status.reason));
        html.close();
    }
    html.close();
}

void HtmlReport::writeVerdicts(HtmlWriter &html, const RunResults &results, const QVector<RunResults::TestCase> &rows)
{
    const bool repeated = results.environment().repeat > 1;
    double longest = 0;
    for (const RunResults::TestCase &row : rows) {
        for (const RunResults::Run &run : row.runs)
            longest = qMax(longest, run.verdict.seconds);
    }

    html.element(QStringLiteral("h2"), QStringLiteral("Functions and rows, in the suite's order"));
    html.open(QStringLiteral("table"), {{QStringLiteral("id"), QStringLiteral("verdicts")},
                                        {QStringLiteral("class"), QStringLiteral("verdicts")}});
    html.open(QStringLiteral("thead"));
    html.open(QStringLiteral("tr"));
    html.element(QStringLiteral("th"), QStringLiteral("verdict"),
                 {{QStringLiteral("class"), QStringLiteral("verdict")}});
    html.element(QStringLiteral("th"), QStringLiteral("function(row)"));
    html.element(QStringLiteral("th"), repeated ? QStringLiteral("time (mean)") : QStringLiteral("time"),
                 {{QStringLiteral("class"), QStringLiteral("time")}});
    if (repeated)
        html.element(QStringLiteral("th"), QStringLiteral("runs"), {{QStringLiteral("class"), QStringLiteral("runs")}});
    html.close();
    html.close();
    html.open(QStringLiteral("tbody"));
    for (int index = 0; index < rows.size(); ++index) {
        writeVerdictRow(html, results, rows.at(index), rowId(index), longest);
        writeRowDetail(html, results, rows.at(index), rowId(index));
    }
    const QVector<RunResults::NotRunTest> notRun = results.notRun();
    for (int index = 0; index < notRun.size(); ++index)
        writeNotRunRow(html, results, notRun.at(index), rowId(rows.size() + index));
    html.close();
    html.close();
}

// longest: the seconds of the slowest run, which fills a time bar.
void HtmlReport::writeVerdictRow(HtmlWriter &html, const RunResults &results, const RunResults::TestCase &row,
                                 const QString &id, double longest)
{
    const QVector<RunResults::Run> verdicts = row.finalVerdicts();
    const Outcome state = row.outcome();
    const QString name = results.reportedName(row.testName);
    double total = 0;
    for (const RunResults::Run &run : verdicts)
        total += run.verdict.seconds;
    const double mean = verdicts.isEmpty() ? 0 : total / verdicts.size();

    QString classes = QStringLiteral("row ") + stateClass(state);
    if (!row.findings.isEmpty())
        classes += QStringLiteral(" finding");
    html.open(QStringLiteral("tr"),
              {{QStringLiteral("id"), id}, {QStringLiteral("class"), classes}, {QStringLiteral("data-name"), name}});
    html.open(QStringLiteral("td"), {{QStringLiteral("class"), QStringLiteral("label verdict-") + stateClass(state)}});
    html.text(stateLabel(state, row));
    html.close();
    html.open(QStringLiteral("td"), {{QStringLiteral("class"), QStringLiteral("name")}});
    html.element(QStringLiteral("a"), name, {{QStringLiteral("href"), QLatin1Char('#') + id}});
    if (state == Outcome::Flaky) {
        html.text(QStringLiteral(" "));
        const QString retried = results.retryText(row);
        html.element(QStringLiteral("span"),
                     QStringLiteral("flaky: ")
                         + (retried.isEmpty() ? QStringLiteral("passed %1 of %2").arg(row.passes()).arg(verdicts.size())
                                              : retried),
                     {{QStringLiteral("class"), QStringLiteral("flaky-mark verdict-flaky")}});
    }
    html.close();
    html.open(QStringLiteral("td"), {{QStringLiteral("class"), QStringLiteral("time")}});
    html.text(Reporter::seconds(mean));
    RowBars::writeTimeBar(html, longest > 0 ? mean / longest : 0);
    html.close();
    if (results.environment().repeat > 1) {
        html.open(QStringLiteral("td"), {{QStringLiteral("class"), QStringLiteral("runs")}});
        html.text(QStringLiteral("%1 of %2 passed").arg(row.passes()).arg(verdicts.size()));
        RowBars::writeRunStrip(html, verdicts);
        html.close();
    }
    html.close();
}

// A failed run, a retry or one with notes shows its verdict; otherwise the
// first run's traffic and log lines show what a pass looks like.
void HtmlReport::writeRowDetail(HtmlWriter &html, const RunResults &results, const RunResults::TestCase &row,
                                const QString &id)
{
    const QVector<RunResults::Run> verdicts = row.finalVerdicts();
    QVector<RunResults::Run> shown;
    for (const RunResults::Run &run : row.runs) {
        if (run.verdict.isFailure() || !run.notes.isEmpty() || !run.verdict.endsTest() || run.origin.attempt > 1)
            shown.append(run);
    }
    const bool passOnly = shown.isEmpty() && !verdicts.isEmpty()
                          && (!verdicts.constFirst().logLines.isEmpty() || !verdicts.constFirst().exchanges.isEmpty());
    if (shown.isEmpty() && !passOnly && row.findings.isEmpty())
        return;
    html.open(QStringLiteral("tr"), {{QStringLiteral("id"), id + QStringLiteral("-detail")},
                                     {QStringLiteral("class"), QStringLiteral("detail ") + stateClass(row.outcome())}});
    html.open(QStringLiteral("td"),
              {{QStringLiteral("colspan"), QString::number(results.environment().repeat > 1 ? 4 : 3)}});
    RunDetailsHtml::writeFindings(html, row.findings);
    for (const RunResults::Run &run : qAsConst(shown))
        RunDetailsHtml::write(html, results, run, true);
    if (passOnly)
        RunDetailsHtml::write(html, results, verdicts.constFirst(), false);
    html.close();
    html.close();
}

void HtmlReport::writeNotRunRow(HtmlWriter &html, const RunResults &results, const RunResults::NotRunTest &test,
                                const QString &id)
{
    const QString name = results.reportedName(test.testName);
    html.open(QStringLiteral("tr"), {{QStringLiteral("id"), id},
                                     {QStringLiteral("class"), QStringLiteral("row skip notrun")},
                                     {QStringLiteral("data-name"), name}});
    html.element(QStringLiteral("td"), QStringLiteral("NOT RUN"),
                 {{QStringLiteral("class"), QStringLiteral("label verdict-skip")}});
    html.open(QStringLiteral("td"), {{QStringLiteral("class"), QStringLiteral("name")}});
    html.element(QStringLiteral("a"), name, {{QStringLiteral("href"), QLatin1Char('#') + id}});
    html.text(QStringLiteral(" "));
    html.element(QStringLiteral("span"), test.reason, {{QStringLiteral("class"), QStringLiteral("not-run-reason")}});
    html.close();
    html.element(QStringLiteral("td"), QString(), {{QStringLiteral("class"), QStringLiteral("time")}});
    if (results.environment().repeat > 1)
        html.element(QStringLiteral("td"), QString(), {{QStringLiteral("class"), QStringLiteral("runs")}});
    html.close();
}
