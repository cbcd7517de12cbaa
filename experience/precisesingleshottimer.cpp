#include "precisesingleshottimer.h"
#include "plavoexperiencelogging.h"

#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <sys/timerfd.h>
#include <unistd.h>

PreciseSingleShotTimer::PreciseSingleShotTimer(QObject *parent)
    : QObject(parent)
    , m_fd(::timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC))
{
    if (m_fd < 0) {
        qCWarning(dcPlavoExperience) << "No timerfd, falling back to the event loop's timers:" << std::strerror(errno);
        return;
    }
    m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
    m_notifier->setEnabled(false);
    connect(m_notifier, &QSocketNotifier::activated, this, &PreciseSingleShotTimer::onExpired);
}

PreciseSingleShotTimer::~PreciseSingleShotTimer()
{
    if (m_fd >= 0) {
        delete m_notifier;
        ::close(m_fd);
    }
}

void PreciseSingleShotTimer::setInterval(int msecs) { m_interval = qMax(0, msecs); }

void PreciseSingleShotTimer::start()
{
    m_active = true;
    if (m_fd < 0) {
        QTimer::singleShot(m_interval, Qt::PreciseTimer, this, &PreciseSingleShotTimer::onExpired);
        return;
    }
    itimerspec spec = {};
    // A zero it_value would disarm the timer; one nanosecond fires at once.
    const qint64 nsecs = qMax<qint64>(1, qint64(m_interval) * 1000 * 1000);
    spec.it_value.tv_sec = nsecs / (1000 * 1000 * 1000);
    spec.it_value.tv_nsec = nsecs % (1000 * 1000 * 1000);
    ::timerfd_settime(m_fd, 0, &spec, nullptr);
    m_notifier->setEnabled(true);
}

void PreciseSingleShotTimer::stop()
{
    m_active = false;
    if (m_fd < 0)
        return;
    const itimerspec disarmed = {};
    ::timerfd_settime(m_fd, 0, &disarmed, nullptr);
    m_notifier->setEnabled(false);
}

void PreciseSingleShotTimer::onExpired()
{
    if (m_fd >= 0) {
        std::uint64_t expirations = 0;
        if (::read(m_fd, &expirations, sizeof(expirations)) != sizeof(expirations))
            return; // stopped and re-armed since the notifier fired
        m_notifier->setEnabled(false);
    }
    if (!m_active)
        return;
    m_active = false;
    emit timeout();
}
