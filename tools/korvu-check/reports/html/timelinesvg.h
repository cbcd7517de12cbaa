#ifndef KORVUCHECK_TIMELINESVG_H
#define KORVUCHECK_TIMELINESVG_H

class GateTimeline;
class HtmlWriter;

// A gate timeline drawn as inline SVG: one lane each for the scanner, the
// daemon, the gate and the notification device, the expected open window
// shaded on the gate's lane and the failed check as a red line. Every mark
// carries its exchange as a tooltip and says in its class what it is
// ("mark poll open", "window", "failed"), so that it can be read without
// the picture too.
class TimelineSvg
{
public:
    static void write(HtmlWriter &html, const GateTimeline &timeline);
};

#endif // KORVUCHECK_TIMELINESVG_H
