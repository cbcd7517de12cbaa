#ifndef KORVUCHECK_CTRFDOCUMENT_H
#define KORVUCHECK_CTRFDOCUMENT_H

#include "results/runresults.h"

#include <QJsonObject>
#include <QString>

// A CTRF document that CtrfReport wrote, read back into the results it holds.
class CtrfDocument
{
public:
    // Returns false with *error set for a file that cannot be read, is no
    // CTRF document or is one of another tool.
    static bool read(const QString &fileName, RunResults *results, QString *error);

private:
    static bool toResults(const QJsonObject &document, RunResults *results, QString *error);
};

#endif // KORVUCHECK_CTRFDOCUMENT_H
