#ifndef KORVUCHECK_CONSOLEREPORT_H
#define KORVUCHECK_CONSOLEREPORT_H

#include "reports/reporter.h"

#include <QStringList>

// The summary a check or a merge of slices ends with on the console, as
// RunSummary formats it.
class ConsoleReport : public Reporter
{
public:
    // notes: lines for the end of the summary, such as the reports written.
    explicit ConsoleReport(const QStringList &notes = QStringList());

    bool write(const RunResults &results, QIODevice *device) override;

protected:
    // Lines for the end of the summary that are known only once the run has ended.
    void setNotes(const QStringList &notes);

private:
    QStringList m_notes;
};

#endif // KORVUCHECK_CONSOLEREPORT_H
