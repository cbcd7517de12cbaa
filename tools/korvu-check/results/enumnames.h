#ifndef KORVUCHECK_ENUMNAMES_H
#define KORVUCHECK_ENUMNAMES_H

#include <QString>

#include <cstddef>

// The names of an enum's values in the two formats of Qt Test's logs that
// write them: the XML log's attribute value and the plain-text log's label.
namespace EnumNames {

template<typename Enum>
struct Entry
{
    Enum value;
    const char *xmlName;
    const char *label;
};

// The name of value in the format of the member name; empty for a value
// the table lacks.
template<typename Enum, std::size_t size>
QString nameOf(const Entry<Enum> (&table)[size], Enum value, const char *Entry<Enum>::*name)
{
    for (const Entry<Enum> &entry : table) {
        if (entry.value == value)
            return QString::fromLatin1(entry.*name);
    }
    return QString();
}

// The value named text in the format of the member name; false when none is.
template<typename Enum, std::size_t size>
bool valueOf(const Entry<Enum> (&table)[size], const QString &text, const char *Entry<Enum>::*name, Enum *value)
{
    for (const Entry<Enum> &entry : table) {
        if (text == QLatin1String(entry.*name)) {
            *value = entry.value;
            return true;
        }
    }
    return false;
}

} // namespace EnumNames

#endif // KORVUCHECK_ENUMNAMES_H
