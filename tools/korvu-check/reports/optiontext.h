#ifndef KORVUCHECK_OPTIONTEXT_H
#define KORVUCHECK_OPTIONTEXT_H

// Which description of an option to show: the one line of --help, or the
// full text of the manual page, which help2man makes from that output.
enum class OptionText { Help, Manual };

#endif // KORVUCHECK_OPTIONTEXT_H
