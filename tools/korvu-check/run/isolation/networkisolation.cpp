#include "run/isolation/networkisolation.h"
#include "run/runlogging.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <net/if.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

bool writeFile(const char *path, const char *text, size_t size)
{
    const int fd = ::open(path, O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool written = ::write(fd, text, size) == ssize_t(size);
    return ::close(fd) == 0 && written;
}

// What "ip link set lo up" does, without the ip process.
bool raiseLoopback()
{
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    struct ifreq request;
    std::memset(&request, 0, sizeof request);
    std::memcpy(request.ifr_name, "lo", sizeof "lo");
    bool raised = ::ioctl(fd, SIOCGIFFLAGS, &request) == 0;
    if (raised) {
        request.ifr_flags = short(request.ifr_flags | IFF_UP);
        raised = ::ioctl(fd, SIOCSIFFLAGS, &request) == 0;
    }
    ::close(fd);
    return raised;
}

} // namespace

NetworkIsolation NetworkIsolation::detect()
{
    NetworkIsolation isolation;
    isolation.m_userMap = "0 " + QByteArray::number(::geteuid()) + " 1\n";
    isolation.m_groupMap = "0 " + QByteArray::number(::getegid()) + " 1\n";
    for (const Mode mode : {Mode::Network, Mode::UserAndNetwork}) {
        if (isolation.works(mode)) {
            isolation.m_mode = mode;
            break;
        }
    }
    qCDebug(dcRun) << "Network isolation:" << isolation.description();
    return isolation;
}

bool NetworkIsolation::isAvailable() const { return m_mode != Mode::None; }

QString NetworkIsolation::description() const
{
    switch (m_mode) {
    case Mode::Network:
        return QStringLiteral("unshare -n");
    case Mode::UserAndNetwork:
        return QStringLiteral("unshare -rn");
    case Mode::None:
        break;
    }
    return QStringLiteral("none");
}

bool NetworkIsolation::enter() const { return enter(m_mode); }

bool NetworkIsolation::works(Mode mode) const
{
    const pid_t child = ::fork();
    if (child < 0)
        return false;
    if (child == 0)
        ::_exit(enter(mode) ? 0 : 1);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
        if (errno != EINTR)
            return false;
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool NetworkIsolation::enter(Mode mode) const
{
    switch (mode) {
    case Mode::None:
        return true;
    case Mode::Network:
        return ::unshare(CLONE_NEWNET) == 0 && raiseLoopback();
    case Mode::UserAndNetwork:
        // An unprivileged process may map its group only after giving up setgroups.
        return ::unshare(CLONE_NEWUSER | CLONE_NEWNET) == 0 && writeFile("/proc/self/setgroups", "deny", 4)
               && writeFile("/proc/self/uid_map", m_userMap.constData(), size_t(m_userMap.size()))
               && writeFile("/proc/self/gid_map", m_groupMap.constData(), size_t(m_groupMap.size())) && raiseLoopback();
    }
    return false;
}
