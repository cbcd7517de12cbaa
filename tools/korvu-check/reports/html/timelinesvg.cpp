#include "reports/html/timelinesvg.h"
#include "reports/html/gatetimeline.h"
#include "reports/html/htmlwriter.h"

#include <QHash>
#include <QtMath>

namespace {

const int width = 960;
const int labelWidth = 120;
const int laneHeight = 34;
const int top = 18;
const int axisHeight = 22;
const int laneCount = 4;
const int axisY = top + laneCount * laneHeight;
const int height = axisY + axisHeight;
const double approximateCharacterWidth = 6.2;

QString number(double value) { return QString::number(value, 'f', 1); }

QString laneName(GateTimeline::Lane lane)
{
    switch (lane) {
    case GateTimeline::Lane::Scanner:
        return QStringLiteral("scanner");
    case GateTimeline::Lane::Daemon:
        return QStringLiteral("daemon (JSON-RPC)");
    case GateTimeline::Lane::Gate:
        return QStringLiteral("gate");
    case GateTimeline::Lane::Notification:
        return QStringLiteral("notification");
    }
    return QString();
}

double laneMiddle(GateTimeline::Lane lane) { return top + (static_cast<int>(lane) + 0.5) * laneHeight; }

// Colours as presentation attributes rather than style, so that a server
// policy that blocks inline styles still shows them.
QString colour(const GateTimeline::Mark &mark)
{
    switch (mark.kind) {
    case GateTimeline::Kind::Scan:
        return QStringLiteral("#1d4ed8");
    case GateTimeline::Kind::GatePoll:
        return mark.label == QLatin1String("open") ? QStringLiteral("#d97706") : QStringLiteral("#4b5563");
    case GateTimeline::Kind::Notification:
        return QStringLiteral("#15803d");
    case GateTimeline::Kind::Restart:
        return QStringLiteral("#7c3aed");
    case GateTimeline::Kind::HistoryRead:
    case GateTimeline::Kind::Call:
        break;
    }
    return QStringLiteral("#9ca3af");
}

const HtmlWriter::Attributes textStyle = {{QStringLiteral("font-family"), QStringLiteral("sans-serif")},
                                          {QStringLiteral("font-size"), QStringLiteral("11")}};

QString markClass(const GateTimeline::Mark &mark)
{
    switch (mark.kind) {
    case GateTimeline::Kind::Scan:
        return QStringLiteral("mark scan");
    case GateTimeline::Kind::HistoryRead:
        return QStringLiteral("mark history");
    case GateTimeline::Kind::GatePoll:
        return mark.label == QLatin1String("open") ? QStringLiteral("mark poll open")
                                                   : QStringLiteral("mark poll closed");
    case GateTimeline::Kind::Call:
        return QStringLiteral("mark call");
    case GateTimeline::Kind::Notification:
        return QStringLiteral("mark notification");
    case GateTimeline::Kind::Restart:
        return QStringLiteral("mark restart");
    }
    return QString();
}

// Reads and calls come right after what they follow up, so they are drawn
// smaller, leaving it in sight.
QString radius(const GateTimeline::Mark &mark)
{
    switch (mark.kind) {
    case GateTimeline::Kind::Call:
        return QStringLiteral("3");
    case GateTimeline::Kind::HistoryRead:
        return QStringLiteral("3.5");
    default:
        return QStringLiteral("5");
    }
}

// A poll reads a state, where a history lists actions of the same names.
QString shownLabel(const GateTimeline::Mark &mark)
{
    return mark.kind == GateTimeline::Kind::GatePoll ? QStringLiteral("reads ") + mark.label : mark.label;
}

// Labels that say something at a glance; calls to the daemon are many and
// close together, so they keep theirs in the tooltip.
bool isLabelled(const GateTimeline::Mark &mark) { return mark.kind != GateTimeline::Kind::Call; }

// Where a time falls, with scale the pixels per second.
QString xAt(double seconds, double scale) { return number(labelWidth + seconds * scale); }

void writeLanes(HtmlWriter &html)
{
    for (int lane = 0; lane < laneCount; ++lane) {
        const QString y = number(top + lane * laneHeight);
        html.empty(QStringLiteral("rect"), {{QStringLiteral("class"), QStringLiteral("lane")},
                                            {QStringLiteral("x"), QString::number(labelWidth)},
                                            {QStringLiteral("y"), y},
                                            {QStringLiteral("width"), QString::number(width - labelWidth)},
                                            {QStringLiteral("height"), QString::number(laneHeight - 4)},
                                            {QStringLiteral("fill"), QStringLiteral("#f3f4f6")}});
        html.element(
            QStringLiteral("text"), laneName(static_cast<GateTimeline::Lane>(lane)),
            HtmlWriter::Attributes{{QStringLiteral("class"), QStringLiteral("lane-name")},
                                   {QStringLiteral("x"), QStringLiteral("4")},
                                   {QStringLiteral("y"), number(laneMiddle(static_cast<GateTimeline::Lane>(lane)) + 4)}}
                + textStyle);
    }
}

void writeAxis(HtmlWriter &html, double span, double scale)
{
    const double tick = span > 8 ? 2 : (span > 3 ? 1 : 0.5);
    for (double at = 0; at <= span + 1e-9; at += tick) {
        html.empty(QStringLiteral("line"), {{QStringLiteral("class"), QStringLiteral("tick")},
                                            {QStringLiteral("x1"), xAt(at, scale)},
                                            {QStringLiteral("x2"), xAt(at, scale)},
                                            {QStringLiteral("y1"), QString::number(top)},
                                            {QStringLiteral("y2"), QString::number(axisY)},
                                            {QStringLiteral("stroke"), QStringLiteral("#d1d5db")}});
        html.element(QStringLiteral("text"), number(at) + QStringLiteral(" s"),
                     HtmlWriter::Attributes{{QStringLiteral("class"), QStringLiteral("axis")},
                                            {QStringLiteral("x"), xAt(at, scale)},
                                            {QStringLiteral("y"), QString::number(axisY + 15)},
                                            {QStringLiteral("text-anchor"), QStringLiteral("middle")}}
                         + textStyle);
    }
}

void writeWindow(HtmlWriter &html, const GateTimeline &timeline, double scale)
{
    const double gateTop = top + static_cast<int>(GateTimeline::Lane::Gate) * laneHeight;
    html.open(QStringLiteral("rect"),
              {{QStringLiteral("class"), QStringLiteral("window")},
               {QStringLiteral("x"), xAt(timeline.windowStart(), scale)},
               {QStringLiteral("y"), number(gateTop)},
               {QStringLiteral("width"), number((timeline.windowEnd() - timeline.windowStart()) * scale)},
               {QStringLiteral("height"), QString::number(laneHeight - 4)},
               {QStringLiteral("fill"), QStringLiteral("#fcd34d")},
               {QStringLiteral("fill-opacity"), QStringLiteral("0.6")}});
    html.element(QStringLiteral("title"), QStringLiteral("expected open: %1 s to %2 s")
                                              .arg(number(timeline.windowStart()), number(timeline.windowEnd())));
    html.close();
}

// Where each lane's labels end so far, above and below the marks: a label
// that would run into the one before it on its lane goes below the mark, or,
// when that is taken too, stays in the tooltip.
struct LabelEnds
{
    QHash<int, double> above;
    QHash<int, double> below;
};

void writeLabel(HtmlWriter &html, const GateTimeline::Mark &mark, double scale, LabelEnds *ends)
{
    const double y = laneMiddle(mark.lane);
    const double labelX = labelWidth + mark.seconds * scale + 7;
    const double labelEnd = labelX + shownLabel(mark).size() * approximateCharacterWidth;
    const int lane = static_cast<int>(mark.lane);
    double labelY = -1;
    if (labelX >= ends->above.value(lane, 0)) {
        labelY = y - 6;
        ends->above[lane] = labelEnd;
    } else if (labelX >= ends->below.value(lane, 0)) {
        labelY = y + 13;
        ends->below[lane] = labelEnd;
    }
    if (labelY >= 0) {
        html.element(
            QStringLiteral("text"), shownLabel(mark),
            HtmlWriter::Attributes{{QStringLiteral("x"), number(labelX)}, {QStringLiteral("y"), number(labelY)}}
                + textStyle);
    }
}

void writeMark(HtmlWriter &html, const GateTimeline::Mark &mark, double scale, LabelEnds *ends)
{
    const double y = laneMiddle(mark.lane);
    const QString paint = colour(mark);
    html.open(QStringLiteral("g"), {{QStringLiteral("class"), markClass(mark)}});
    html.element(QStringLiteral("title"),
                 QStringLiteral("%1 s  %2").arg(QString::number(mark.seconds, 'f', 3), mark.detail));
    if (mark.kind == GateTimeline::Kind::Restart) {
        html.empty(QStringLiteral("line"), {{QStringLiteral("x1"), xAt(mark.seconds, scale)},
                                            {QStringLiteral("x2"), xAt(mark.seconds, scale)},
                                            {QStringLiteral("y1"), number(y - 13)},
                                            {QStringLiteral("y2"), number(y + 13)},
                                            {QStringLiteral("stroke"), paint},
                                            {QStringLiteral("stroke-width"), QStringLiteral("3")}});
    } else {
        html.empty(QStringLiteral("circle"), {{QStringLiteral("cx"), xAt(mark.seconds, scale)},
                                              {QStringLiteral("cy"), number(y)},
                                              {QStringLiteral("r"), radius(mark)},
                                              {QStringLiteral("fill"), paint}});
    }
    if (isLabelled(mark))
        writeLabel(html, mark, scale, ends);
    html.close();
}

void writeFailedCheck(HtmlWriter &html, double failedAt, double scale)
{
    html.open(QStringLiteral("g"), {{QStringLiteral("class"), QStringLiteral("failed")}});
    html.empty(QStringLiteral("line"), {{QStringLiteral("x1"), xAt(failedAt, scale)},
                                        {QStringLiteral("x2"), xAt(failedAt, scale)},
                                        {QStringLiteral("y1"), QString::number(top - 6)},
                                        {QStringLiteral("y2"), QString::number(axisY)},
                                        {QStringLiteral("stroke"), QStringLiteral("#dc2626")},
                                        {QStringLiteral("stroke-width"), QStringLiteral("2")}});
    html.element(QStringLiteral("text"), QStringLiteral("failed check"),
                 HtmlWriter::Attributes{{QStringLiteral("x"), number(labelWidth + failedAt * scale - 4)},
                                        {QStringLiteral("y"), QString::number(top - 6)},
                                        {QStringLiteral("text-anchor"), QStringLiteral("end")},
                                        {QStringLiteral("fill"), QStringLiteral("#dc2626")}}
                     + textStyle);
    html.close();
}

} // namespace

void TimelineSvg::write(HtmlWriter &html, const GateTimeline &timeline)
{
    // At least one second, in whole half seconds, so ticks fall on round numbers.
    const double span = qMax(1.0, qCeil(timeline.seconds() * 2 + 0.5) / 2.0);
    const double scale = (width - labelWidth - 20) / span;

    html.open(QStringLiteral("svg"), {{QStringLiteral("xmlns"), QStringLiteral("http://www.w3.org/2000/svg")},
                                      {QStringLiteral("class"), QStringLiteral("timeline")},
                                      {QStringLiteral("viewBox"), QStringLiteral("0 0 %1 %2").arg(width).arg(height)},
                                      {QStringLiteral("role"), QStringLiteral("img")}});
    html.element(QStringLiteral("title"), timeline.sentences().join(QStringLiteral("; ")));
    writeLanes(html);
    writeAxis(html, span, scale);
    if (timeline.hasWindow())
        writeWindow(html, timeline, scale);
    LabelEnds labelEnds;
    const QVector<GateTimeline::Mark> marks = timeline.marks();
    for (const GateTimeline::Mark &mark : marks)
        writeMark(html, mark, scale, &labelEnds);
    if (timeline.failedAt() >= 0)
        writeFailedCheck(html, timeline.failedAt(), scale);
    html.close();
}
