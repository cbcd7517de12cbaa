# A short Markdown summary of a CTRF report, for a CI job's summary page:
#   jq -r -f ctrf-summary.jq all.json >> "$GITHUB_STEP_SUMMARY"
# Names and messages come from the daemon's replies, so they are escaped:
# nothing in them becomes markup.
def cell: tostring | gsub("&"; "&amp;") | gsub("<"; "&lt;") | gsub(">"; "&gt;") | gsub("\\|"; "&#124;")
  | gsub("[\r\n]+"; " ");

.results as $r
| $r.summary as $s
| ([$r.tests[] | select(.flaky == true)] | length) as $flaky
| ([$r.tests[] | select(.status == "failed")]) as $failed
| "### \($r.tool.name | cell): \($s.passed) passed, \($s.failed) failed, \($s.skipped) skipped",
  "",
  "| tests | passed | failed | skipped | other | flaky | time |",
  "|---:|---:|---:|---:|---:|---:|---:|",
  "| \($s.tests) | \($s.passed) | \($s.failed) | \($s.skipped) | \(($s.pending // 0) + ($s.other // 0)) | \($s.flaky // $flaky) | \((($s.duration // ($s.stop - $s.start)) / 100 | round) / 10) s |",
  if ($failed | length) > 0 then
    "",
    "| failed | message |",
    "|---|---|",
    ($failed[] | "| \(.name | cell) | \(.message // "" | split("\n")[0] | cell) |")
  else empty end
