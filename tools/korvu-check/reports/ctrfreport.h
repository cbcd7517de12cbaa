#ifndef KORVUCHECK_CTRFREPORT_H
#define KORVUCHECK_CTRFREPORT_H

#include "reports/reporter.h"

#include <QJsonObject>

// The results of a check as a CTRF document (Common Test Report Format, JSON),
// for dashboards and pull-request summaries: one test per function and row in
// the suite's order, then korvu-check's setup errors, findings outside any
// row and the suite processes that broke off, each a failed test. Each test's
// "extra" holds everything korvu-check knows of it, so that CtrfDocument reads
// back the results written: the slices of one run are merged from their
// documents, and a later run cuts its shards by an earlier one's times.
class CtrfReport : public Reporter
{
public:
    // The schema version of the reference implementation the documents follow.
    static const QString specVersion;

    static QJsonObject document(const RunResults &results);
    bool write(const RunResults &results, QIODevice *device) override;
};

#endif // KORVUCHECK_CTRFREPORT_H
