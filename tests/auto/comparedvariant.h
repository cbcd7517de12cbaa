#ifndef COMPAREDVARIANT_H
#define COMPAREDVARIANT_H

#include <QVariant>

// A reply value that compares as Qt 5 compares QVariants. Where the types
// differ, Qt 6 converts the other way round or not at all ("01" equals the
// number 1, null no longer equals "", "1" equals true), which would turn failing
// rows of the suite into passing ones and back.
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
using ComparedVariant = QVariant;
#else
class ComparedVariant : public QVariant
{
public:
    ComparedVariant(const QVariant &value);

    // Qt 5's operator==, maps and lists compared member by member alike.
    static bool equalAsInQt5(const QVariant &left, const QVariant &right);
};

bool operator==(const ComparedVariant &left, const QVariant &right);
#endif

#endif // COMPAREDVARIANT_H
