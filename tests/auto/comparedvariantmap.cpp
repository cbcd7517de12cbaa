#include "comparedvariantmap.h"

#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)

bool operator==(const QVariant &left, const ComparedVariantMap &right)
{
    return ComparedVariant::equalAsInQt5(left, QVariantMap(right));
}

#endif
