#ifndef COMPAREDVARIANTMAP_H
#define COMPAREDVARIANTMAP_H

#include "comparedvariant.h"

// An expected map that reply values compare with as in Qt 5 (see ComparedVariant),
// also inside QVariantList::contains.
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
using ComparedVariantMap = QVariantMap;
#else
class ComparedVariantMap : public QVariantMap
{
};

bool operator==(const QVariant &left, const ComparedVariantMap &right);
#endif

#endif // COMPAREDVARIANTMAP_H
