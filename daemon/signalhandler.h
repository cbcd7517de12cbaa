#ifndef KORVUD_SIGNALHANDLER_H
#define KORVUD_SIGNALHANDLER_H

#include <QObject>

class QSocketNotifier;

// Turns SIGINT and SIGTERM into a Qt signal on the main thread (self-pipe),
// so that the daemon can shut down in order.
class SignalHandler : public QObject
{
    Q_OBJECT
public:
    explicit SignalHandler(QObject *parent = nullptr);
    ~SignalHandler() override;

signals:
    void quitRequested(int signalNumber);

private:
    static void handleSignal(int signalNumber);
    void readSignal();

    static int s_pipe[2];
    QSocketNotifier *m_notifier = nullptr;
};

#endif // KORVUD_SIGNALHANDLER_H
