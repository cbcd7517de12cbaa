#ifndef KORVUCHECK_TESTMESSAGE_H
#define KORVUCHECK_TESTMESSAGE_H

#include <QString>

// One message of the suite's log that is not a verdict: the suite's own debug
// and warning lines, the daemon output it echoes, the framework's notes.
struct TestMessage
{
    enum class Type { Debug, Info, Warning, System, Fatal, FrameworkInfo, FrameworkWarning };

    Type type = Type::Debug;
    QString function;
    QString row;
    QString text;

    // The message as the plain-text log shows it,
    // "QDEBUG : TestDeliveries::testDelivery(DPD Prio) text".
    QString logLine(const QString &testClass) const;

    // The type of a message of Qt Test's XML log ("qdebug", "qwarn", ...).
    static bool typeFromMessageType(const QString &name, Type *type);
};

#endif // KORVUCHECK_TESTMESSAGE_H
