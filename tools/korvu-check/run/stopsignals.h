#ifndef KORVUCHECK_STOPSIGNALS_H
#define KORVUCHECK_STOPSIGNALS_H

#include <QObject>

class QSocketNotifier;

// Turns SIGINT, SIGTERM, SIGHUP and SIGPIPE (output closed, as by "| head")
// into a Qt signal, so that a stopped run still ends the suite and removes
// its run tree. Instances nest: one made while another lives (a check within
// the watch loop) hears the same signals, and the first one made keeps the
// handlers until it goes, so they must end in the reverse order of their making.
class StopSignals : public QObject
{
    Q_OBJECT
public:
    explicit StopSignals(QObject *parent = nullptr);
    ~StopSignals() override;

    // The first stop signal received, or 0. Safe to ask at any time, also
    // outside the event loop.
    static int received();

signals:
    void stopRequested(int signalNumber);

private:
    void readSignal();

    QSocketNotifier *m_notifier = nullptr; // only in the first instance
};

#endif // KORVUCHECK_STOPSIGNALS_H
