#ifndef KORVUCHECK_ELFDEPENDENCIES_H
#define KORVUCHECK_ELFDEPENDENCIES_H

#include <QString>
#include <QStringList>

// The shared libraries an ELF program or library names as its own
// dependencies (DT_NEEDED), as the dynamic loader will look them up.
class ElfDependencies
{
public:
    // False, with *needed untouched, for a file that cannot be opened or is
    // no ELF object, such as a script; a static program needs nothing.
    static bool read(const QString &fileName, QStringList *needed);
};

#endif // KORVUCHECK_ELFDEPENDENCIES_H
