#include "jsonpath.h"

#include <QJsonArray>
#include <QStringList>

#include <functional>

namespace {

using Edit = std::function<void(QJsonValue *target)>;

// Walks to the parent of the last segment, copying on the way down and
// writing back on the way up (QJsonValue has no references into a document).
QJsonValue edited(const QJsonValue &node, const QStringList &segments, int index, const Edit &edit)
{
    const QString &segment = segments.at(index);
    const bool last = index == segments.count() - 1;
    if (node.isArray()) {
        QJsonArray array = node.toArray();
        bool isNumber = false;
        const int position = segment.toInt(&isNumber);
        if (!isNumber || position < 0)
            return node;
        while (array.count() <= position)
            array.append(QJsonValue());
        QJsonValue child = array.at(position);
        if (last)
            edit(&child);
        else
            child = edited(child, segments, index + 1, edit);
        if (child.isUndefined())
            array.removeAt(position);
        else
            array.replace(position, child);
        return array;
    }
    QJsonObject object = node.toObject();
    QJsonValue child = object.value(segment);
    if (last)
        edit(&child);
    else
        child = edited(child.isUndefined() ? QJsonValue(QJsonObject()) : child, segments, index + 1, edit);
    if (child.isUndefined())
        object.remove(segment);
    else
        object.insert(segment, child);
    return object;
}

void apply(QJsonObject *root, const QString &path, const Edit &edit)
{
    const QStringList segments = path.split('.');
    *root = edited(*root, segments, 0, edit).toObject();
}

} // namespace

void JsonPath::set(QJsonObject *root, const QString &path, const QJsonValue &value)
{
    apply(root, path, [value](QJsonValue *target) { *target = value; });
}

void JsonPath::remove(QJsonObject *root, const QString &path)
{
    if (value(*root, path).isUndefined())
        return;
    apply(root, path, [](QJsonValue *target) { *target = QJsonValue(QJsonValue::Undefined); });
}

void JsonPath::add(QJsonObject *root, const QString &path, double delta)
{
    apply(root, path, [delta](QJsonValue *target) {
        const double sum = target->toDouble() + delta;
        const qint64 whole = static_cast<qint64>(sum);
        *target = whole == sum ? QJsonValue(whole) : QJsonValue(sum);
    });
}

QJsonValue JsonPath::value(const QJsonObject &root, const QString &path)
{
    QJsonValue node = root;
    const QStringList segments = path.split('.');
    for (const QString &segment : segments) {
        if (node.isArray()) {
            bool isNumber = false;
            const int position = segment.toInt(&isNumber);
            const QJsonArray array = node.toArray();
            if (!isNumber || position < 0 || position >= array.count())
                return QJsonValue(QJsonValue::Undefined);
            node = array.at(position);
        } else if (node.isObject()) {
            node = node.toObject().value(segment);
        } else {
            return QJsonValue(QJsonValue::Undefined);
        }
    }
    return node;
}
