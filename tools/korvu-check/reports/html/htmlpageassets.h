#ifndef KORVUCHECK_HTMLPAGEASSETS_H
#define KORVUCHECK_HTMLPAGEASSETS_H

#include <QString>

// The style and script the report's page carries inline, so that it needs
// nothing beside it.
class HtmlPageAssets
{
public:
    // No '<' and no '&', as HtmlWriter::trusted() asks.
    static QString style();
    // Filtering and search over the rows; the page reads the same without it.
    static QString script();
};

#endif // KORVUCHECK_HTMLPAGEASSETS_H
