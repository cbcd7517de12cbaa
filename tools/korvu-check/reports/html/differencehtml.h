#ifndef KORVUCHECK_DIFFERENCEHTML_H
#define KORVUCHECK_DIFFERENCEHTML_H

#include "results/valuedifference.h"

class HtmlWriter;

// What differs under a failure on the report's page: the fields that
// differ, then both values side by side with the lines of those fields
// marked (class "differs").
class DifferenceHtml
{
public:
    static void write(HtmlWriter &html, const ValueDifference &difference);
};

#endif // KORVUCHECK_DIFFERENCEHTML_H
