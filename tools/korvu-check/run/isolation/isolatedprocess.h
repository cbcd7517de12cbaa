#ifndef KORVUCHECK_ISOLATEDPROCESS_H
#define KORVUCHECK_ISOLATEDPROCESS_H

#include "run/isolation/networkisolation.h"

#include <QProcess>

// A process whose program starts in a network namespace of its own when the
// machine allows one: the child enters it before it runs the program. It
// also leads a process group of its own, so that what it starts, such as a
// daemon, can be ended with it.
class IsolatedProcess : public QProcess
{
public:
    explicit IsolatedProcess(const NetworkIsolation &isolation, QObject *parent = nullptr);

    // Sends signalNumber to the process and everything in its group, also
    // after the process itself has ended.
    void signalGroup(int signalNumber);

#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
protected:
    void setupChildProcess() override;
#endif

private:
    // In the child: a program that would share the machine's network must not run.
    void enterNamespace() const;

    qint64 m_group = 0;

    const NetworkIsolation &m_isolation;
};

#endif // KORVUCHECK_ISOLATEDPROCESS_H
