#ifndef KORVUCHECK_CTRFDOCUMENT_H
#define KORVUCHECK_CTRFDOCUMENT_H

#include "results/runresults.h"

#include <QJsonObject>
#include <QString>

// The results of a check as a CTRF document (Common Test Report Format, JSON)
// and back: one test per function and row in the suite's order, then
// korvu-check's setup errors, findings outside any row and the suite
// processes that broke off, each a failed test. Each test's "extra" holds
// everything korvu-check knows of it, so that the results read back are the
// results written: the slices of one run are merged from their documents,
// and a later run cuts its shards by an earlier one's times.
class CtrfDocument
{
public:
    // The schema version of the reference implementation the documents follow.
    static const QString specVersion;

    static QJsonObject fromResults(const RunResults &results);
    // Rebuilds the results a document of korvu-check holds. Returns false
    // with *error set for a file that cannot be read, is no CTRF document or
    // is one of another tool.
    static bool read(const QString &fileName, RunResults *results, QString *error);
    static bool toResults(const QJsonObject &document, RunResults *results, QString *error);
};

#endif // KORVUCHECK_CTRFDOCUMENT_H
