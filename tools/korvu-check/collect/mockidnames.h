#ifndef KORVUCHECK_MOCKIDNAMES_H
#define KORVUCHECK_MOCKIDNAMES_H

#include <QString>
#include <QStringList>

// The mock devices' class, state, action and event ids in traffic and
// messages, told by name, so that nobody has to look up {7e3e6b01-...}.
class MockIdNames
{
public:
    // "7e3e6b01 = accept" for each mock id in text, in order, each once.
    static QStringList namesIn(const QString &text);
    // "  [7e3e6b01 = accept, 2eb6135e = open]" to follow a line, or nothing.
    static QString annotation(const QString &text);
};

#endif // KORVUCHECK_MOCKIDNAMES_H
