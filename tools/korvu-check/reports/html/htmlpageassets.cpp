#include "reports/html/htmlpageassets.h"

namespace {

// The page's own style: no '<' and no '&', as HtmlWriter::trusted() asks.
const char pageStyle[] = R"(
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
div.difference ul { margin: 4px 0; padding-left: 20px; font: 12px/1.35 ui-monospace, monospace; }
div.difference .values { display: grid; grid-template-columns: 1fr 1fr; gap: 12px; }
div.difference span.differs { background: #fee2e2; color: #7f1d1d; font-weight: 600; }
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
const char pageScript[] = R"(
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

} // namespace

QString HtmlPageAssets::style() { return QString::fromUtf8(pageStyle); }

QString HtmlPageAssets::script() { return QString::fromUtf8(pageScript); }
