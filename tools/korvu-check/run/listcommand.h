#ifndef KORVUCHECK_LISTCOMMAND_H
#define KORVUCHECK_LISTCOMMAND_H

#include "commandline/checkoptions.h"

class QTextStream;

// --list and --list-json: the functions and rows a run with these options
// would take, from the suite's own listing, printed for a person, a shell's
// completion or an editor. Starts no daemon.
class ListCommand
{
public:
    ListCommand(const CheckOptions &options, QTextStream &out, QTextStream &err);

    // Returns the exit status of korvu-check.
    int exec();

private:
    CheckOptions m_options;
    QTextStream &m_out;
    QTextStream &m_err;
};

#endif // KORVUCHECK_LISTCOMMAND_H
