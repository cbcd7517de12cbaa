#include "comparedvariant.h"

#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)

#include <algorithm>
#include <utility>

namespace {

bool isNumber(const QVariant &value)
{
    switch (value.userType()) {
    case QMetaType::Bool:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Float:
    case QMetaType::Double:
        return true;
    default:
        return false;
    }
}

bool isContainer(const QVariant &value)
{
    return value.userType() == QMetaType::QVariantMap || value.userType() == QMetaType::QVariantList;
}

bool mapsEqual(const QVariantMap &left, const QVariantMap &right)
{
    if (left.size() != right.size())
        return false;
    for (auto l = left.cbegin(), r = right.cbegin(); l != left.cend(); ++l, ++r) {
        if (l.key() != r.key() || !ComparedVariant::equalAsInQt5(l.value(), r.value()))
            return false;
    }
    return true;
}

bool listsEqual(const QVariantList &left, const QVariantList &right)
{
    return std::equal(left.cbegin(), left.cend(), right.cbegin(), right.cend(), ComparedVariant::equalAsInQt5);
}

} // namespace

ComparedVariant::ComparedVariant(const QVariant &value)
    : QVariant(value)
{
}

bool ComparedVariant::equalAsInQt5(const QVariant &left, const QVariant &right)
{
    if (left.metaType() == right.metaType()) {
        if (left.userType() == QMetaType::QVariantMap)
            return mapsEqual(left.toMap(), right.toMap());
        if (left.userType() == QMetaType::QVariantList)
            return listsEqual(left.toList(), right.toList());
        return left == right;
    }
    if (isNumber(left) && isNumber(right))
        return left == right;
    // Qt 6 turns a string into a list; Qt 5 never matched a list or map with another type.
    if (isContainer(left) || isContainer(right))
        return false;
    // Qt 5 converted the right value to the left one's type or, where it could not, the left to the right's.
    QVariant target = left;
    QVariant converted = right;
    if (!converted.canConvert(target.metaType()))
        std::swap(target, converted);
    return converted.convert(target.metaType()) && target == converted;
}

bool operator==(const ComparedVariant &left, const QVariant &right)
{
    return ComparedVariant::equalAsInQt5(left, right);
}

#endif
