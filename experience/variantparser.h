#ifndef VARIANTPARSER_H
#define VARIANTPARSER_H

#include <QUuid>
#include <QVariant>

// Strict readers for values that arrive as parsed JSON. They never guess:
// a value of the wrong type is refused rather than converted.
namespace VariantParser {

bool isString(const QVariant &value);
bool isList(const QVariant &value);
bool isMap(const QVariant &value);

// Accepts a UUID value or its text, braced or bare, in any letter case:
// exactly 36 characters (8-4-4-4-12 ASCII hex digits and dashes) or those
// 36 inside braces, with nothing before or after.
// Null UUIDs are accepted here; callers decide whether they mean anything.
bool toUuid(const QVariant &value, QUuid *uuid);

// Accepts integer numbers and doubles without a fraction. Booleans and
// numeric text are refused.
bool toWholeNumber(const QVariant &value, qint64 *number);

// The text form used in replies and storage: bare and lower-case.
QString uuidText(const QUuid &uuid);

} // namespace VariantParser

#endif // VARIANTPARSER_H
