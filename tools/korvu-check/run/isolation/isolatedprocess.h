#ifndef KORVUCHECK_ISOLATEDPROCESS_H
#define KORVUCHECK_ISOLATEDPROCESS_H

#include "networkisolation.h"

#include <QProcess>

// A process whose program starts in a network namespace of its own when the
// machine allows one: the child enters it before it runs the program.
class IsolatedProcess : public QProcess
{
public:
    explicit IsolatedProcess(const NetworkIsolation &isolation, QObject *parent = nullptr);

#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
protected:
    void setupChildProcess() override;
#endif

private:
    // In the child: a program that would share the machine's network must not run.
    void enterNamespace() const;

    const NetworkIsolation &m_isolation;
};

#endif // KORVUCHECK_ISOLATEDPROCESS_H
