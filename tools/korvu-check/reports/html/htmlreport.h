#ifndef KORVUCHECK_HTMLREPORT_H
#define KORVUCHECK_HTMLREPORT_H

#include "reports/reporter.h"
#include "results/runresults.h"

class HtmlWriter;

// The results of a check as one self-contained page for people: what was
// checked, the failed and flaky rows first, then every function and row in
// the suite's order with its verdicts, time and, under a failure, the
// message, a timeline of the gate cycle, the exchanges and the log lines.
// It needs nothing beside it and no script: the page's small script only
// adds filtering and search.
class HtmlReport : public Reporter
{
public:
    bool write(const RunResults &results, QIODevice *device) override;

    // The whole page.
    static QString page(const RunResults &results);

private:
    static void writeHead(HtmlWriter &html, const RunResults &results);
    static void writeHeader(HtmlWriter &html, const RunResults &results);
    static void writeAttention(HtmlWriter &html, const RunResults &results, const QVector<RunResults::TestCase> &rows);
    static void writeVerdicts(HtmlWriter &html, const RunResults &results, const QVector<RunResults::TestCase> &rows);
    static void writeVerdictRow(HtmlWriter &html, const RunResults &results, const RunResults::TestCase &row,
                                const QString &id, double longest);
    static void writeRowDetail(HtmlWriter &html, const RunResults &results, const RunResults::TestCase &row,
                               const QString &id);
    // A planned function or row the run stopped before, with why.
    static void writeNotRunRow(HtmlWriter &html, const RunResults &results, const RunResults::NotRunTest &test,
                               const QString &id);
    static void writeBrokenRuns(HtmlWriter &html, const RunResults &results);
    static void writeFindingsWithoutVerdict(HtmlWriter &html, const RunResults &results);
};

#endif // KORVUCHECK_HTMLREPORT_H
