#include "results/testmessage.h"
#include "results/enumnames.h"

namespace {

using TypeName = EnumNames::Entry<TestMessage::Type>;

// A message's type attribute in the XML log, and its label in the text log.
const TypeName typeNames[] = {
    {TestMessage::Type::Debug, "qdebug", "QDEBUG"},           {TestMessage::Type::Info, "qinfo", "QINFO"},
    {TestMessage::Type::Warning, "qwarn", "QWARN"},           {TestMessage::Type::System, "system", "QSYSTEM"},
    {TestMessage::Type::Fatal, "qfatal", "QFATAL"},           {TestMessage::Type::FrameworkInfo, "info", "INFO"},
    {TestMessage::Type::FrameworkWarning, "warn", "WARNING"},
};

} // namespace

QString TestMessage::logLine(const QString &testClass) const
{
    const QString label = EnumNames::nameOf(typeNames, type, &TypeName::label);
    const QString where = function.isEmpty() ? QString() : QStringLiteral("%1::%2(%3) ").arg(testClass, function, row);
    return label.leftJustified(7) + QStringLiteral(": ") + where + text;
}

bool TestMessage::typeFromMessageType(const QString &name, Type *type)
{
    return EnumNames::valueOf(typeNames, name, &TypeName::xmlName, type);
}
