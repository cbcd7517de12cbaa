#ifndef SCRIPTEDKORVUD_JSONPATH_H
#define SCRIPTEDKORVUD_JSONPATH_H

#include <QJsonObject>
#include <QJsonValue>
#include <QString>

// Edits of a JSON document at a dotted path such as "params.deliveries.0.id":
// object members by name, array elements by index. Missing objects on the way
// are created by set(); edits of paths that do not exist are ignored.
namespace JsonPath {

void set(QJsonObject *root, const QString &path, const QJsonValue &value);
void remove(QJsonObject *root, const QString &path);
// Adds delta to the number at path; a missing or non-number value counts as 0.
void add(QJsonObject *root, const QString &path, double delta);
QJsonValue value(const QJsonObject &root, const QString &path);

} // namespace JsonPath

#endif // SCRIPTEDKORVUD_JSONPATH_H
