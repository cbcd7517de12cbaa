#ifndef KORVUCHECK_RUNDETAILSHTML_H
#define KORVUCHECK_RUNDETAILSHTML_H

#include "results/runresults.h"

class HtmlWriter;

// What the report's page shows under a row: its findings, and per run the
// verdict, the gate cycle's timeline, the exchanges and the log lines.
class RunDetailsHtml
{
public:
    // Log lines shown per run, and characters per line; the rest is counted.
    static constexpr int shownLogLines = 400;
    static constexpr int logLineLimit = 4096;

    static void writeFindings(HtmlWriter &html, const QVector<RunResults::Finding> &findings);
    // withVerdict: the verdict and its message before the traffic and log lines.
    static void write(HtmlWriter &html, const RunResults &results, const RunResults::Run &run, bool withVerdict);

private:
    static void writeLogLines(HtmlWriter &html, const QStringList &lines);
};

#endif // KORVUCHECK_RUNDETAILSHTML_H
