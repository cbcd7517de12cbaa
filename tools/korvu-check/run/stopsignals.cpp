#include "run/stopsignals.h"

#include <QSocketNotifier>
#include <QVector>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

const int stopSignalNumbers[] = {SIGINT, SIGTERM, SIGHUP, SIGPIPE};
int signalPipe[2] = {-1, -1};
volatile std::sig_atomic_t firstStopSignal = 0;
QVector<StopSignals *> liveInstances;

void handleStopSignal(int signalNumber)
{
    if (firstStopSignal == 0)
        firstStopSignal = signalNumber;
    const char byte = 1;
    // A full pipe already holds a wake-up: nothing is lost.
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &byte, 1);
}

void installHandler(int signalNumber, void (*handler)(int))
{
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(signalNumber, &action, nullptr);
}

} // namespace

StopSignals::StopSignals(QObject *parent)
    : QObject(parent)
{
    liveInstances.append(this);
    if (liveInstances.size() > 1 || ::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    m_notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &StopSignals::readSignal);
    for (int signalNumber : stopSignalNumbers)
        installHandler(signalNumber, handleStopSignal);
}

StopSignals::~StopSignals()
{
    liveInstances.removeOne(this);
    if (!m_notifier)
        return;
    for (int signalNumber : stopSignalNumbers)
        installHandler(signalNumber, SIG_DFL);
    ::close(signalPipe[0]);
    ::close(signalPipe[1]);
    signalPipe[0] = signalPipe[1] = -1;
}

int StopSignals::received() { return firstStopSignal; }

void StopSignals::readSignal()
{
    char buffer[16];
    while (::read(signalPipe[0], buffer, sizeof(buffer)) > 0) {
    }
    // A copy: a receiver may end a nested instance.
    const QVector<StopSignals *> instances = liveInstances;
    for (StopSignals *instance : instances) {
        if (liveInstances.contains(instance))
            emit instance->stopRequested(firstStopSignal);
    }
}
