#ifndef KORVUCHECK_ENUMNAMES_H
#define KORVUCHECK_ENUMNAMES_H

#include <QString>

#include <cstddef>

// The names of an enum's values in each format that writes them, such as
// Qt Test's XML log and its plain-text log: a table of entries, each with the
// enum value in "value" and a const char * member per format.
namespace EnumNames {

// The name of value in the format of the member name; empty for a value
// the table lacks.
template<typename Entry, std::size_t size, typename Enum>
QString nameOf(const Entry (&table)[size], Enum value, const char *Entry::*name)
{
    for (const Entry &entry : table) {
        if (entry.value == value)
            return QString::fromLatin1(entry.*name);
    }
    return QString();
}

// The value named text in the format of the member name; false when none is.
template<typename Entry, std::size_t size, typename Enum>
bool valueOf(const Entry (&table)[size], const QString &text, const char *Entry::*name, Enum *value)
{
    for (const Entry &entry : table) {
        if (text == QLatin1String(entry.*name)) {
            *value = entry.value;
            return true;
        }
    }
    return false;
}

} // namespace EnumNames

#endif // KORVUCHECK_ENUMNAMES_H
