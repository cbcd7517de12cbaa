#ifndef KORVUCHECK_EXCHANGETABLE_H
#define KORVUCHECK_EXCHANGETABLE_H

#include <QJsonObject>
#include <QVector>

class HtmlWriter;

// The traffic of a run as an HTML table: one line per exchange with its time
// from the first, phase, what was asked and answered, the outcome and the
// mock ids named, and the full reply or body on demand, cut at a size a
// browser still shows at once, with its full length.
class ExchangeTable
{
public:
    static constexpr int bodyLimit = 64 * 1024;

    static void write(HtmlWriter &html, const QVector<QJsonObject> &exchanges);
};

#endif // KORVUCHECK_EXCHANGETABLE_H
