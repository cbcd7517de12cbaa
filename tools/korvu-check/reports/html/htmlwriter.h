#ifndef KORVUCHECK_HTMLWRITER_H
#define KORVUCHECK_HTMLWRITER_H

#include <QPair>
#include <QString>
#include <QStringList>
#include <QVector>

// Writes a page that is HTML and well-formed XML at once, so that a strict
// parser and any browser read it alike. Every text and attribute value is
// escaped, whatever the daemon put into it; only the page's own style and
// script go in as written.
class HtmlWriter
{
public:
    using Attributes = QVector<QPair<QString, QString>>;

    // The doctype that makes browsers lay the page out by today's rules.
    void startDocument();
    // Opens an element; close() ends the innermost open one.
    void open(const QString &tag, const Attributes &attributes = {});
    void close();
    // An element holding only text (or nothing).
    void element(const QString &tag, const QString &text, const Attributes &attributes = {});
    // A void element such as <meta/>, or an SVG shape.
    void empty(const QString &tag, const Attributes &attributes = {});
    void text(const QString &text);
    // The page's own CSS or script. It may hold no '<' and no '&', which
    // an XML parser would read as markup and an HTML parser would not.
    void trusted(const QString &code);

    // Everything written so far; every element still open is closed.
    QString finished();

    // Text and attribute values: markup characters as entities, characters
    // no XML document may hold as U+FFFD.
    static QString escaped(const QString &text);

private:
    void writeStart(const QString &tag, const Attributes &attributes);

    QString m_page;
    QStringList m_open;
};

#endif // KORVUCHECK_HTMLWRITER_H
