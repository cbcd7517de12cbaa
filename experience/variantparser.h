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

// Accepts a UUID value or its text as Korvu::parseUuid reads it.
// Null UUIDs are accepted here; callers decide whether they mean anything.
bool toUuid(const QVariant &value, QUuid *uuid);

// Accepts integer numbers and doubles without a fraction. Booleans and
// numeric text are refused.
bool toWholeNumber(const QVariant &value, qint64 *number);

} // namespace VariantParser

#endif // VARIANTPARSER_H
