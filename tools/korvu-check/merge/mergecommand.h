#ifndef KORVUCHECK_MERGECOMMAND_H
#define KORVUCHECK_MERGECOMMAND_H

#include <QStringList>

class QTextStream;

// "korvu-check merge": the CTRF reports of the --shard K/N slices of one run
// put back together into the summary and the reports that one machine
// running the whole selection would have given.
class MergeCommand
{
public:
    MergeCommand(QTextStream &out, QTextStream &err);

    // arguments: the full command line, program name first, then "merge".
    // Returns the exit status of korvu-check.
    int exec(const QStringList &arguments);

private:
    int refuse(const QString &problem);

    QTextStream &m_out;
    QTextStream &m_err;
};

#endif // KORVUCHECK_MERGECOMMAND_H
