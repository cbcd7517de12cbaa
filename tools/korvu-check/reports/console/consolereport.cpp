#include "reports/console/consolereport.h"
#include "reports/console/runsummary.h"

#include <QIODevice>

ConsoleReport::ConsoleReport(const QStringList &notes)
    : m_notes(notes)
{
}

void ConsoleReport::setNotes(const QStringList &notes) { m_notes = notes; }

bool ConsoleReport::write(const RunResults &results, QIODevice *device)
{
    const QStringList lines = RunSummary(results).summaryLines(results.seconds(), m_notes);
    const QByteArray text = (lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8();
    return device->write(text) == text.size();
}
