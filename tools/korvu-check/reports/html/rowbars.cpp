#include "reports/html/rowbars.h"
#include "reports/html/htmlwriter.h"

namespace {

using Attributes = HtmlWriter::Attributes;

const Attributes svgNamespace = {{QStringLiteral("xmlns"), QStringLiteral("http://www.w3.org/2000/svg")}};

} // namespace

void RowBars::writeTimeBar(HtmlWriter &html, double fraction)
{
    html.open(QStringLiteral("svg"), svgNamespace
                                         + Attributes{{QStringLiteral("class"), QStringLiteral("bar")},
                                                      {QStringLiteral("viewBox"), QStringLiteral("0 0 100 10")},
                                                      {QStringLiteral("preserveAspectRatio"), QStringLiteral("none")}});
    html.empty(QStringLiteral("rect"), {{QStringLiteral("width"), QString::number(qMax(0.5, fraction * 100), 'f', 1)},
                                        {QStringLiteral("height"), QStringLiteral("10")},
                                        {QStringLiteral("fill"), QStringLiteral("#93c5fd")}});
    html.close();
}

void RowBars::writeRunStrip(HtmlWriter &html, const QVector<RunResults::Run> &runs)
{
    html.open(QStringLiteral("svg"),
              svgNamespace
                  + Attributes{{QStringLiteral("class"), QStringLiteral("strip")},
                               {QStringLiteral("viewBox"), QStringLiteral("0 0 %1 10").arg(runs.size() * 10)},
                               {QStringLiteral("preserveAspectRatio"), QStringLiteral("none")}});
    for (int i = 0; i < runs.size(); ++i) {
        const TestVerdict &verdict = runs.at(i).verdict;
        const QString fill = verdict.isFailure()                             ? QStringLiteral("#dc2626")
                             : verdict.outcome == TestVerdict::Outcome::Pass ? QStringLiteral("#16a34a")
                                                                             : QStringLiteral("#9ca3af");
        html.open(QStringLiteral("rect"), {{QStringLiteral("class"),
                                            verdict.isFailure() ? QStringLiteral("cell fail") : QStringLiteral("cell")},
                                           {QStringLiteral("x"), QString::number(i * 10)},
                                           {QStringLiteral("width"), QStringLiteral("9")},
                                           {QStringLiteral("height"), QStringLiteral("10")},
                                           {QStringLiteral("fill"), fill}});
        html.element(QStringLiteral("title"),
                     QStringLiteral("run %1: %2").arg(runs.at(i).origin.repetition).arg(verdict.label()));
        html.close();
    }
    html.close();
}
