#include "run/isolation/isolatedprocess.h"

#include <csignal>

#include <unistd.h>

namespace {

const char enterFailed[] = "korvu-check: cannot enter a private network namespace\n";
// As a shell reports a command it cannot run.
const int enterFailedStatus = 127;

} // namespace

IsolatedProcess::IsolatedProcess(const NetworkIsolation &isolation, QObject *parent)
    : QProcess(parent)
    , m_isolation(isolation)
{
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
    setChildProcessModifier([this] { enterNamespace(); });
#endif
    connect(this, &QProcess::started, this, [this] { m_group = processId(); });
}

void IsolatedProcess::signalGroup(int signalNumber)
{
    if (m_group > 0)
        ::kill(pid_t(-m_group), signalNumber);
}

#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
void IsolatedProcess::setupChildProcess() { enterNamespace(); }
#endif

void IsolatedProcess::enterNamespace() const
{
    ::setpgid(0, 0);
    if (m_isolation.enter())
        return;
    const ssize_t written = ::write(STDERR_FILENO, enterFailed, sizeof enterFailed - 1);
    Q_UNUSED(written)
    ::_exit(enterFailedStatus);
}
