#ifndef PLAVODELIVERY_PRECISESINGLESHOTTIMER_H
#define PLAVODELIVERY_PRECISESINGLESHOTTIMER_H

#include <QObject>

class QSocketNotifier;

// A single-shot timer that fires within microseconds of its interval.
//
// Even Qt::PreciseTimer rounds every wait of the event loop up to the next
// whole millisecond, so it fires up to a millisecond late. Clients that poll a
// gate one second after they saw it open have only a millisecond or two of
// head start on the close, and that rounding alone made them miss the close
// in a good share of the cycles. This timer waits on a kernel timerfd, which
// the event loop watches like a socket.
class PreciseSingleShotTimer : public QObject
{
    Q_OBJECT
public:
    explicit PreciseSingleShotTimer(QObject *parent = nullptr);
    ~PreciseSingleShotTimer() override;

    void setInterval(int msecs);

    void start();
    void stop();

signals:
    void timeout();

private:
    void onExpired();

    int m_fd = -1;
    int m_interval = 0;
    bool m_active = false;
    QSocketNotifier *m_notifier = nullptr;
};

#endif // PLAVODELIVERY_PRECISESINGLESHOTTIMER_H
