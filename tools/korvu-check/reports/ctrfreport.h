#ifndef KORVUCHECK_CTRFREPORT_H
#define KORVUCHECK_CTRFREPORT_H

#include "reporter.h"
#include "runresults.h"

#include <QJsonObject>
#include <QString>

// The results of a check as a CTRF document (Common Test Report Format, JSON)
// for dashboards and pull-request summaries: one test per function and row in
// the suite's order, then korvu-check's setup errors, findings outside any
// row and the suite processes that broke off, each a failed test. Each test's
// "extra" holds everything korvu-check knows of it, so that the results can
// be read back from the document as they were: the slices of one run are
// merged from their documents.
class CtrfReport : public Reporter
{
public:
    // The schema version of the reference implementation the documents follow.
    static const QString specVersion;

    QString kind() const override;
    bool write(const RunResults &results, QIODevice *device) override;

    static QJsonObject document(const RunResults &results);
    // Rebuilds the results a document of korvu-check holds. Returns false
    // with *error set for a file that cannot be read, is no CTRF document or
    // is one of another tool.
    static bool read(const QString &fileName, RunResults *results, QString *error);
    static bool fromDocument(const QJsonObject &document, RunResults *results, QString *error);
};

#endif // KORVUCHECK_CTRFREPORT_H
