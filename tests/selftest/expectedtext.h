#ifndef SELFTEST_EXPECTEDTEXT_H
#define SELFTEST_EXPECTEDTEXT_H

#include <QString>

// Builders for the texts a case expects, in TextPattern form.
namespace ExpectedText {

// The indented JSON text the suite writes for a value, from compact JSON in
// which the string "<<N>>" stands for a number only the run knows.
QString json(const QString &compactJson);

// A request record line: rpc {"id":<<N>>,"method":method,"params":params}.
QString rpc(const QString &method, const QString &compactParams = QStringLiteral("{}"));

// A control-port request record line.
QString http(int port, const QString &pathAndQuery);

} // namespace ExpectedText

#endif // SELFTEST_EXPECTEDTEXT_H
