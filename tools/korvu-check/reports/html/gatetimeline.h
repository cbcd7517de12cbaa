#ifndef KORVUCHECK_GATETIMELINE_H
#define KORVUCHECK_GATETIMELINE_H

#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <QVector>

// What a run did to the mock devices and the daemon, in time, read from its
// traffic alone: the injected scan, the action histories read, each poll of
// the gate's state, the notification and the daemon's restarts, against the
// window in which the delivery asked the gate to stay open.
class GateTimeline
{
public:
    enum class Lane { Scanner, Daemon, Gate, Notification };
    enum class Kind { Scan, HistoryRead, GatePoll, Call, Notification, Restart };

    struct Mark
    {
        Lane lane = Lane::Daemon;
        Kind kind = Kind::Call;
        double seconds = 0; // from the first exchange of the test
        QString label; // "open", "accept", "AddDelivery", ...
        QString detail; // the exchange as the console shows it
    };

    // Whether the traffic holds what a timeline shows: a scan injected, the
    // gate's state polled or the daemon restarted during the test.
    static bool applies(const QVector<QJsonObject> &exchanges);
    // failed: the run failed, so its last exchange is marked as the moment
    // of the failed check.
    static GateTimeline fromExchanges(const QVector<QJsonObject> &exchanges, bool failed);

    QVector<Mark> marks() const;
    // The test's span, at least up to the end of the expected window.
    double seconds() const;
    // The window the gate was to stay open for, from the scan on; negative
    // without an injected scan or a delivery's openDuration.
    double windowStart() const;
    double windowEnd() const;
    bool hasWindow() const;
    // When the failed check came; negative for a run that passed.
    double failedAt() const;
    // What happened, in plain words: "the scan was accepted", "the gate was
    // still open 14.0 s after the scan, expected to close after 1 s", ...
    QStringList sentences() const;

private:
    void describeGate(double openDuration);

    QVector<Mark> m_marks;
    double m_seconds = 0;
    double m_windowStart = -1;
    double m_windowEnd = -1;
    double m_failedAt = -1;
    QStringList m_sentences;
};

#endif // KORVUCHECK_GATETIMELINE_H
