#ifndef KORVUCHECK_ROWBARS_H
#define KORVUCHECK_ROWBARS_H

#include "results/runresults.h"

class HtmlWriter;

// The small drawings in a row of the report's table, as inline SVG.
class RowBars
{
public:
    // A bar as long as fraction (0 to 1) of the cell.
    static void writeTimeBar(HtmlWriter &html, double fraction);
    // One cell per repetition, red where it failed.
    static void writeRunStrip(HtmlWriter &html, const QVector<RunResults::Run> &runs);
};

#endif // KORVUCHECK_ROWBARS_H
