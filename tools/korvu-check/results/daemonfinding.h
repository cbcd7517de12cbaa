#ifndef KORVUCHECK_DAEMONFINDING_H
#define KORVUCHECK_DAEMONFINDING_H

#include <QString>
#include <QStringList>

// A fault of the daemon that its output or its end gave away, whatever the
// suite's verdicts: a memory checker's or sanitizer's report, or a signal
// the suite did not send. It belongs to the function or row during which the
// suite saw it.
struct DaemonFinding
{
    enum class Kind { Valgrind, AddressSanitizer, LeakSanitizer, UndefinedBehaviorSanitizer, ThreadSanitizer, Signal };

    Kind kind = Kind::Valgrind;
    QString function;
    QString row;
    QStringList lines; // the report as written, or what the trace says of the end

    QString testName() const;
    QString kindName() const;
    // The kind kindName() names.
    static bool kindFromName(const QString &name, Kind *kind);
    // The first lines of the report and, when there are more, how many.
    QStringList shortLines(int shown) const;
};

#endif // KORVUCHECK_DAEMONFINDING_H
