#ifndef KORVUCHECK_OPTIONTEXT_H
#define KORVUCHECK_OPTIONTEXT_H

#include <QString>

// Which description of an option to show: the one line of --help, or the
// full text of the manual page, which help2man makes from that output.
enum class OptionText { Help, Manual };

// An option's description as shown in text: the manual page's where the
// option has one that says more than its line of --help.
inline const QString &optionDescription(OptionText text, const QString &help, const QString &manual)
{
    return text == OptionText::Manual && !manual.isEmpty() ? manual : help;
}

#endif // KORVUCHECK_OPTIONTEXT_H
