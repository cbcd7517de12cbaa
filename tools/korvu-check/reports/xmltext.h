#ifndef KORVUCHECK_XMLTEXT_H
#define KORVUCHECK_XMLTEXT_H

#include <QString>

// Text that came from the suite or the daemon, made fit for any XML document.
class XmlText
{
public:
    // Control characters (colour codes, binary dumps), lone surrogates and the
    // other characters no XML document may contain become U+FFFD.
    static QString safe(const QString &text);
};

#endif // KORVUCHECK_XMLTEXT_H
