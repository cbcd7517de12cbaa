#include "reports/html/htmlwriter.h"
#include "reports/xmltext.h"

void HtmlWriter::startDocument() { m_page += QStringLiteral("<!DOCTYPE html>\n"); }

void HtmlWriter::open(const QString &tag, const Attributes &attributes)
{
    writeStart(tag, attributes);
    m_page += QLatin1Char('>');
    m_open.append(tag);
}

void HtmlWriter::close()
{
    if (m_open.isEmpty())
        return;
    m_page += QStringLiteral("</") + m_open.takeLast() + QLatin1Char('>');
}

void HtmlWriter::element(const QString &tag, const QString &text, const Attributes &attributes)
{
    open(tag, attributes);
    this->text(text);
    close();
}

void HtmlWriter::empty(const QString &tag, const Attributes &attributes)
{
    writeStart(tag, attributes);
    m_page += QStringLiteral("/>");
}

void HtmlWriter::text(const QString &text) { m_page += escaped(text); }

void HtmlWriter::trusted(const QString &code)
{
    Q_ASSERT(!code.contains(QLatin1Char('<')) && !code.contains(QLatin1Char('&')));
    m_page += code;
}

QString HtmlWriter::finished()
{
    while (!m_open.isEmpty())
        close();
    return m_page;
}

QString HtmlWriter::escaped(const QString &text)
{
    // Attributes are always in double quotes, so apostrophes may stay.
    return XmlText::safe(text).toHtmlEscaped();
}

void HtmlWriter::writeStart(const QString &tag, const Attributes &attributes)
{
    m_page += QLatin1Char('<') + tag;
    for (const auto &attribute : attributes)
        m_page += QLatin1Char(' ') + attribute.first + QStringLiteral("=\"") + escaped(attribute.second)
                  + QLatin1Char('"');
}
