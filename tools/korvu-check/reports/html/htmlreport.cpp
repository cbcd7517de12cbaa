#include "htmlreport.h"
#include "exchangetable.h"
#include "gatetimeline.h"
#include "htmlwriter.h"
#include "mockidnames.h"
#include "timelinesvg.h"

#include <QIODevice>

#include <algorithm>

namespace {

using Attributes = HtmlWriter::Attributes;

// The page's own style: no '<' and no '&', as HtmlWriter::trusted() asks.
const char style[] = R"(
body { font: 14px/1.4 system-ui, sans-serif; margin: 0 auto; max-width: 1240px; padding: 12px 16px; color: #111827; }
h1 { font-size: 20px; margin: 4px 16px 4px 0; display: inline-block; }
h2 { font-size: 16px; margin: 18px 0 6px; }
h3 { font-size: 14px; margin: 10px 0 4px; }
dl.environment { display: grid; grid-template-columns: max-content 1fr max-content 1fr; gap: 1px 12px; margin: 0; font-size: 13px; }
dl.environment dt { color: #6b7280; }
dl.environment dd { margin: 0; overflow-wrap: anywhere; }
.counts { font-size: 15px; margin: 4px 0; display: inline-block; }
.counts span { margin-right: 14px; font-weight: 600; }
.verdict-fail { color: #b91c1c; } .verdict-flaky { color: #b45309; } .verdict-pass { color: #15803d; }
.verdict-skip, .verdict-other { color: #6b7280; }
table { border-collapse: collapse; width: 100%; table-layout: fixed; }
th, td { text-align: left; vertical-align: top; padding: 3px 6px; border-bottom: 1px solid #e5e7eb; overflow-wrap: anywhere; }
th { font-size: 12px; color: #6b7280; font-weight: 600; }
table.verdicts th.verdict { width: 64px; } table.verdicts th.time { width: 190px; } table.verdicts th.runs { width: 230px; }
table.verdicts td.name a { color: inherit; }
.label { font-weight: 700; }
tr.detail td { background: #f9fafb; padding: 6px 12px 12px; }
tr.detail:target td, tr.row:target td { background: #fef3c7; }
pre { white-space: pre-wrap; overflow-wrap: anywhere; margin: 4px 0; font: 12px/1.35 ui-monospace, monospace; }
pre.message { color: #7f1d1d; }
p.location, p.note { margin: 2px 0; font-size: 12px; color: #374151; }
p.sentences { font-weight: 600; margin: 6px 0 2px; }
svg.timeline { display: block; width: 100%; height: auto; max-height: 190px; }
svg.bar, svg.strip { display: block; width: 100%; height: 10px; }
table.exchanges { font-size: 12px; margin-top: 4px; }
table.exchanges th:nth-child(1) { width: 48px; } table.exchanges th:nth-child(2) { width: 52px; }
table.exchanges th:nth-child(4) { width: 110px; } table.exchanges th:nth-child(5) { width: 120px; }
table.exchanges th:nth-child(6) { width: 110px; }
table.exchanges tr.phase-init, table.exchanges tr.phase-cleanup { color: #6b7280; }
summary { cursor: pointer; color: #1d4ed8; }
.cut { color: #b45309; }
ul.attention { margin: 4px 0; padding-left: 20px; }
.filters { position: sticky; top: 0; background: #fff; padding: 6px 0; display: flex; gap: 6px; align-items: center; }
.filters button[aria-pressed=true] { font-weight: 700; }
@media print {
  .filters { display: none; }
  body { max-width: none; padding: 0; }
  details::details-content { content-visibility: visible; display: block; }
  tr { break-inside: avoid; }
}
)";

// Filtering and search over the rows; the page reads the same without it.
// It reports its own errors, the time the page took to lay out and whether
// it is wider than the window in attributes of the body, where a headless
// browser can read them.
const char script[] = R"(
(function () {
  'use strict';
  var body = document.body;
  window.addEventListener('error', function (event) {
    body.setAttribute('data-script-error', String(event.message));
  });
  try {
    var table = document.getElementById('verdicts');
    var rows = Array.prototype.slice.call(table.querySelectorAll('tr.row'));
    var bar = document.createElement('div');
    bar.className = 'filters';
    var filter = 'all';
    var search = '';
    var count = document.createElement('span');
    var apply = function () {
      var shown = 0;
      rows.forEach(function (row) {
        var wanted = filter === 'all' ? true : row.classList.contains(filter);
        var visible = wanted ? row.getAttribute('data-name').toLowerCase().indexOf(search) !== -1 : false;
        row.hidden = !visible;
        var detail = document.getElementById(row.id + '-detail');
        if (detail) { detail.hidden = !visible; }
        shown += visible ? 1 : 0;
      });
      count.textContent = shown + ' of ' + rows.length + ' shown';
    };
    ['all', 'fail', 'flaky', 'pass', 'skip'].forEach(function (name) {
      var button = document.createElement('button');
      button.type = 'button';
      button.textContent = name;
      button.setAttribute('aria-pressed', String(name === filter));
      button.addEventListener('click', function () {
        filter = name;
        bar.querySelectorAll('button[aria-pressed]').forEach(function (other) {
          other.setAttribute('aria-pressed', String(other === button));
        });
        apply();
      });
      bar.appendChild(button);
    });
    var input = document.createElement('input');
    input.type = 'search';
    input.placeholder = 'search rows';
    input.addEventListener('input', function () { search = input.value.toLowerCase(); apply(); });
    bar.appendChild(input);
    var toggle = function (open) {
      document.querySelectorAll('details').forEach(function (details) { details.open = open; });
    };
    [['expand all', true], ['collapse all', false]].forEach(function (pair) {
      var button = document.createElement('button');
      button.type = 'button';
      button.textContent = pair[0];
      button.addEventListener('click', function () { toggle(pair[1]); });
      bar.appendChild(button);
    });
    bar.appendChild(count);
    table.parentNode.insertBefore(bar, table);
    window.addEventListener('beforeprint', function () { toggle(true); });
    apply();
    body.setAttribute('data-script', 'ready');
    void body.offsetHeight;
    body.setAttribute('data-laid-out-ms', performance.now().toFixed(0));
    var page = document.documentElement;
    body.setAttribute('data-scrolls-sideways', String(page.scrollWidth > page.clientWidth));
  } catch (error) {
    body.setAttribute('data-script-error', String(error));
  }
})();
)";

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
        return QStringLiteral("skip");
    case Outcome::Other:
        break;
    }
    return QStringLiteral("other");
}

QString stateLabel(Outcome outcome, const RunResults::Row &row)
{
    if (outcome == Outcome::Other)
        return row.finalVerdicts().isEmpty() ? QStringLiteral("?") : row.finalVerdicts().constFirst().verdict.label();
    return stateClass(outcome).toUpper();
}

bool needsAttention(const RowStatus &status) { return status.failsRun() || status.outcome == Outcome::Flaky; }

QString rowId(int index) { return QStringLiteral("row-%1").arg(index + 1); }

const Attributes svgNamespace = {{QStringLiteral("xmlns"), QStringLiteral("http://www.w3.org/2000/svg")}};

void writeBar(HtmlWriter &html, double fraction)
{
    html.open(QStringLiteral("svg"), svgNamespace
                                         + Attributes{{QStringLiteral("class"), QStringLiteral("bar")},
                                                      {QStringLiteral("viewBox"), QStringLiteral("0 0 100 10")},
                                                      {QStringLiteral("preserveAspectRatio"), QStringLiteral("none")}});
    html.empty(QStringLiteral("rect"), {{QStringLiteral("width"), QString::number(qMax(0.5, fraction * 100), 'f', 1)},
                                        {QStringLiteral("height"), QStringLiteral("10")},
                                        {QStringLiteral("fill"), QStringLiteral("#93c5fd")}});
    html.close();
}

// One cell per repetition, red where it failed.
void writeStrip(HtmlWriter &html, const QVector<RunResults::Run> &runs)
{
    html.open(QStringLiteral("svg"),
              svgNamespace
                  + Attributes{{QStringLiteral("class"), QStringLiteral("strip")},
                               {QStringLiteral("viewBox"), QStringLiteral("0 0 %1 10").arg(runs.size() * 10)},
                               {QStringLiteral("preserveAspectRatio"), QStringLiteral("none")}});
    for (int i = 0; i < runs.size(); ++i) {
        const TestVerdict &verdict = runs.at(i).verdict;
        const QString fill = verdict.isFailure()                             ? QStringLiteral("#dc2626")
                             : verdict.outcome == TestVerdict::Outcome::Pass ? QStringLiteral("#16a34a")
                                                                             : QStringLiteral("#9ca3af");
        html.open(QStringLiteral("rect"), {{QStringLiteral("class"),
                                            verdict.isFailure() ? QStringLiteral("cell fail") : QStringLiteral("cell")},
                                           {QStringLiteral("x"), QString::number(i * 10)},
                                           {QStringLiteral("width"), QStringLiteral("9")},
                                           {QStringLiteral("height"), QStringLiteral("10")},
                                           {QStringLiteral("fill"), fill}});
        html.element(QStringLiteral("title"),
                     QStringLiteral("run %1: %2").arg(runs.at(i).origin.repetition).arg(verdict.label()));
        html.close();
    }
    html.close();
}

void writeFindings(HtmlWriter &html, const QVector<RunResults::Finding> &findings)
{
    for (const RunResults::Finding &found : findings) {
        html.element(QStringLiteral("h3"), QStringLiteral("Finding: %1").arg(found.finding.kindName()));
        html.element(QStringLiteral("pre"), found.finding.lines.join(QLatin1Char('\n')),
                     {{QStringLiteral("class"), QStringLiteral("finding")}});
    }
}

} // namespace

bool HtmlReport::write(const RunResults &results, QIODevice *device)
{
    const QByteArray html = page(results).toUtf8();
    return device->write(html) == html.size();
}

QString HtmlReport::page(const RunResults &results)
{
    const QVector<RunResults::Row> rows = results.rowsWithHooksMerged();
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
    html.trusted(QString::fromUtf8(script));
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
    html.trusted(QString::fromUtf8(style));
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
    const QVector<RunResults::Break> breaks = results.breaks();
    if (setupErrors.isEmpty() && breaks.isEmpty())
        return;
    html.element(QStringLiteral("h2"), QStringLiteral("The run broke off"),
                 {{QStringLiteral("class"), QStringLiteral("verdict-fail")}});
    for (const RunResults::SetupError &setupError : setupErrors) {
        html.element(QStringLiteral("pre"),
                     (QStringList{setupError.message} + setupError.details).join(QLatin1Char('\n')),
                     {{QStringLiteral("class"), QStringLiteral("message setup")}});
    }
    for (const RunResults::Break &suiteBreak : breaks) {
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
void HtmlReport::writeAttention(HtmlWriter &html, const RunResults &results, const QVector<RunResults::Row> &rows)
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
        const RunResults::Row &row = rows.at(index);
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

void HtmlReport::writeVerdicts(HtmlWriter &html, const RunResults &results, const QVector<RunResults::Row> &rows)
{
    const int repeat = results.environment().repeat;
    double longest = 0;
    for (const RunResults::Row &row : rows) {
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
    html.element(QStringLiteral("th"), repeat > 1 ? QStringLiteral("time (mean)") : QStringLiteral("time"),
                 {{QStringLiteral("class"), QStringLiteral("time")}});
    if (repeat > 1)
        html.element(QStringLiteral("th"), QStringLiteral("runs"), {{QStringLiteral("class"), QStringLiteral("runs")}});
    html.close();
    html.close();
    html.open(QStringLiteral("tbody"));
    for (int index = 0; index < rows.size(); ++index) {
        const RunResults::Row &row = rows.at(index);
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
        html.open(QStringLiteral("tr"), {{QStringLiteral("id"), rowId(index)},
                                         {QStringLiteral("class"), classes},
                                         {QStringLiteral("data-name"), name}});
        html.open(QStringLiteral("td"),
                  {{QStringLiteral("class"), QStringLiteral("label verdict-") + stateClass(state)}});
        html.text(stateLabel(state, row));
        html.close();
        html.open(QStringLiteral("td"), {{QStringLiteral("class"), QStringLiteral("name")}});
        html.element(QStringLiteral("a"), name, {{QStringLiteral("href"), QLatin1Char('#') + rowId(index)}});
        if (state == Outcome::Flaky) {
            html.text(QStringLiteral(" "));
            const QString retried = results.retryText(row);
            html.element(QStringLiteral("span"),
                         QStringLiteral("flaky: ")
                             + (retried.isEmpty()
                                    ? QStringLiteral("passed %1 of %2").arg(row.passes()).arg(verdicts.size())
                                    : retried),
                         {{QStringLiteral("class"), QStringLiteral("flaky-mark verdict-flaky")}});
        }
        html.close();
        html.open(QStringLiteral("td"), {{QStringLiteral("class"), QStringLiteral("time")}});
        html.text(Reporter::seconds(mean));
        writeBar(html, longest > 0 ? mean / longest : 0);
        html.close();
        if (repeat > 1) {
            html.open(QStringLiteral("td"), {{QStringLiteral("class"), QStringLiteral("runs")}});
            html.text(QStringLiteral("%1 of %2 passed").arg(row.passes()).arg(verdicts.size()));
            writeStrip(html, verdicts);
            html.close();
        }
        html.close();

        // A failed run, a retry or one with notes shows its verdict; otherwise
        // the first run's traffic and log lines show what a pass looks like.
        QVector<RunResults::Run> shown;
        for (const RunResults::Run &run : row.runs) {
            if (run.verdict.isFailure() || !run.notes.isEmpty() || !run.verdict.endsTest() || run.origin.attempt > 1)
                shown.append(run);
        }
        const bool passOnly = shown.isEmpty() && !verdicts.isEmpty()
                              && (!verdicts.constFirst().logLines.isEmpty()
                                  || !verdicts.constFirst().exchanges.isEmpty());
        if (shown.isEmpty() && !passOnly && row.findings.isEmpty())
            continue;
        html.open(QStringLiteral("tr"), {{QStringLiteral("id"), rowId(index) + QStringLiteral("-detail")},
                                         {QStringLiteral("class"), QStringLiteral("detail ") + stateClass(state)}});
        html.open(QStringLiteral("td"), {{QStringLiteral("colspan"), QString::number(repeat > 1 ? 4 : 3)}});
        writeFindings(html, row.findings);
        for (const RunResults::Run &run : qAsConst(shown))
            writeRunDetails(html, results, run, true);
        if (passOnly)
            writeRunDetails(html, results, verdicts.constFirst(), false);
        html.close();
        html.close();
    }
    html.close();
    html.close();
}

// withVerdict: the verdict and its message before the traffic and log lines.
void HtmlReport::writeRunDetails(HtmlWriter &html, const RunResults &results, const RunResults::Run &run,
                                 bool withVerdict)
{
    const TestVerdict &verdict = run.verdict;
    if (withVerdict) {
        QStringList where;
        if (results.environment().repeat > 1)
            where.append(QStringLiteral("run %1").arg(run.origin.repetition));
        // A retry's shard is named after its try.
        if (results.environment().retries > 0 && run.origin.attempt == 1 && !RunResults::isHook(verdict))
            where.append(results.tryName(run.origin));
        if (!run.origin.shardName.isEmpty())
            where.append(run.origin.shardName);
        html.element(QStringLiteral("h3"),
                     verdict.label()
                         + (where.isEmpty() ? QString() : QStringLiteral(" in ") + where.join(QStringLiteral(", "))));
        if (!verdict.messageLines.isEmpty()) {
            const QString message = verdict.messageLines.join(QLatin1Char('\n'));
            html.element(QStringLiteral("pre"), message, {{QStringLiteral("class"), QStringLiteral("message")}});
            const QStringList names = MockIdNames::namesIn(message);
            if (!names.isEmpty())
                html.element(QStringLiteral("p"), QStringLiteral("ids: ") + names.join(QStringLiteral(", ")),
                             {{QStringLiteral("class"), QStringLiteral("note")}});
        }
        if (!verdict.location.isEmpty())
            html.element(QStringLiteral("p"), QStringLiteral("at ") + verdict.location,
                         {{QStringLiteral("class"), QStringLiteral("location")}});
        for (const QString &note : run.notes)
            html.element(QStringLiteral("p"), note, {{QStringLiteral("class"), QStringLiteral("note")}});
    }
    if (GateTimeline::applies(run.exchanges)) {
        const GateTimeline timeline = GateTimeline::fromExchanges(run.exchanges, verdict.isFailure());
        if (!timeline.sentences().isEmpty())
            html.element(QStringLiteral("p"), timeline.sentences().join(QStringLiteral("; ")) + QLatin1Char('.'),
                         {{QStringLiteral("class"), QStringLiteral("sentences")}});
        TimelineSvg::write(html, timeline);
    }
    if (!run.exchanges.isEmpty()) {
        html.open(QStringLiteral("details"), {{QStringLiteral("class"), QStringLiteral("exchanges")}});
        html.element(QStringLiteral("summary"), QStringLiteral("%1 exchanges").arg(run.exchanges.size()));
        ExchangeTable::write(html, run.exchanges);
        html.close();
    }
    writeLogLines(html, run.logLines);
}

void HtmlReport::writeLogLines(HtmlWriter &html, const QStringList &lines)
{
    if (lines.isEmpty())
        return;
    QStringList shown;
    for (const QString &line : lines.mid(0, shownLogLines)) {
        shown.append(line.size() > logLineLimit
                         ? line.left(logLineLimit) + QStringLiteral(" ... (%1 characters)").arg(line.size())
                         : line);
    }
    if (lines.size() > shownLogLines)
        shown.append(QStringLiteral("(%1 more lines)").arg(lines.size() - shownLogLines));
    html.open(QStringLiteral("details"), {{QStringLiteral("class"), QStringLiteral("log")}});
    html.element(QStringLiteral("summary"), QStringLiteral("%1 log lines").arg(lines.size()));
    html.element(QStringLiteral("pre"), shown.join(QLatin1Char('\n')));
    html.close();
}
