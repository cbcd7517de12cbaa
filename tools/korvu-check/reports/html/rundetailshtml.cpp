#include "reports/html/rundetailshtml.h"
#include "collect/failuredifference.h"
#include "collect/mockidnames.h"
#include "reports/html/differencehtml.h"
#include "reports/html/exchangetable.h"
#include "reports/html/gatetimeline.h"
#include "reports/html/htmlwriter.h"
#include "reports/html/timelinesvg.h"

void RunDetailsHtml::writeFindings(HtmlWriter &html, const QVector<RunResults::Finding> &findings)
{
    for (const RunResults::Finding &found : findings) {
        html.element(QStringLiteral("h3"), QStringLiteral("Finding: %1").arg(found.finding.kindName()));
        html.element(QStringLiteral("pre"), found.finding.lines.join(QLatin1Char('\n')),
                     {{QStringLiteral("class"), QStringLiteral("finding")}});
    }
}

void RunDetailsHtml::write(HtmlWriter &html, const RunResults &results, const RunResults::Run &run, bool withVerdict)
{
    const TestVerdict &verdict = run.verdict;
    if (withVerdict) {
        QStringList where;
        if (results.environment().repeat > 1)
            where.append(QStringLiteral("run %1").arg(run.origin.repetition));
        // A retry's shard is named after its try.
        if (results.environment().retries > 0 && run.origin.attempt == 1 && !RunResults::isHook(verdict))
            where.append(results.tryName(run.origin));
        if (!run.origin.shardName.isEmpty())
            where.append(run.origin.shardName);
        html.element(QStringLiteral("h3"),
                     verdict.label()
                         + (where.isEmpty() ? QString() : QStringLiteral(" in ") + where.join(QStringLiteral(", "))));
        if (!verdict.messageLines.isEmpty()) {
            const QString message = verdict.messageLines.join(QLatin1Char('\n'));
            html.element(QStringLiteral("pre"), message, {{QStringLiteral("class"), QStringLiteral("message")}});
            const QStringList names = MockIdNames::namesIn(message);
            if (!names.isEmpty())
                html.element(QStringLiteral("p"), QStringLiteral("ids: ") + names.join(QStringLiteral(", ")),
                             {{QStringLiteral("class"), QStringLiteral("note")}});
        }
        if (!verdict.location.isEmpty())
            html.element(QStringLiteral("p"), QStringLiteral("at ") + verdict.location,
                         {{QStringLiteral("class"), QStringLiteral("location")}});
        DifferenceHtml::write(html, FailureDifference::of(verdict, run.exchanges));
        for (const QString &note : run.notes)
            html.element(QStringLiteral("p"), note, {{QStringLiteral("class"), QStringLiteral("note")}});
    }
    if (GateTimeline::applies(run.exchanges)) {
        const GateTimeline timeline = GateTimeline::fromExchanges(run.exchanges, verdict.isFailure());
        if (!timeline.sentences().isEmpty())
            html.element(QStringLiteral("p"), timeline.sentences().join(QStringLiteral("; ")) + QLatin1Char('.'),
                         {{QStringLiteral("class"), QStringLiteral("sentences")}});
        TimelineSvg::write(html, timeline);
    }
    if (!run.exchanges.isEmpty()) {
        html.open(QStringLiteral("details"), {{QStringLiteral("class"), QStringLiteral("exchanges")}});
        html.element(QStringLiteral("summary"), QStringLiteral("%1 exchanges").arg(run.exchanges.size()));
        ExchangeTable::write(html, run.exchanges);
        html.close();
    }
    writeLogLines(html, run.logLines);
}

void RunDetailsHtml::writeLogLines(HtmlWriter &html, const QStringList &lines)
{
    if (lines.isEmpty())
        return;
    QStringList shown;
    for (const QString &line : lines.mid(0, shownLogLines)) {
        shown.append(line.size() > logLineLimit
                         ? line.left(logLineLimit) + QStringLiteral(" ... (%1 characters)").arg(line.size())
                         : line);
    }
    if (lines.size() > shownLogLines)
        shown.append(QStringLiteral("(%1 more lines)").arg(lines.size() - shownLogLines));
    html.open(QStringLiteral("details"), {{QStringLiteral("class"), QStringLiteral("log")}});
    html.element(QStringLiteral("summary"), QStringLiteral("%1 log lines").arg(lines.size()));
    html.element(QStringLiteral("pre"), shown.join(QLatin1Char('\n')));
    html.close();
}
