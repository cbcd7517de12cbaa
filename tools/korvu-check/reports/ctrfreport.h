#ifndef KORVUCHECK_CTRFREPORT_H
#define KORVUCHECK_CTRFREPORT_H

#include "reports/reporter.h"

// The results as a CTRF document (CtrfDocument), for dashboards and
// pull-request summaries.
class CtrfReport : public Reporter
{
public:
    bool write(const RunResults &results, QIODevice *device) override;
};

#endif // KORVUCHECK_CTRFREPORT_H
