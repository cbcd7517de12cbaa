#ifndef KORVUCHECK_NETWORKISOLATION_H
#define KORVUCHECK_NETWORKISOLATION_H

#include <QByteArray>
#include <QString>

// Runs programs in a private network namespace with only loopback up, so the
// daemon's fixed ports never meet anything else on the machine. The program's
// process enters the namespace itself, between fork and exec, so that a suite
// run costs no unshare, shell and ip processes of its own.
class NetworkIsolation
{
public:
    // Tries a network namespace of its own (as "unshare -n" makes one, for
    // root) and one inside a user namespace that maps the caller to root (as
    // "unshare -rn", for other users); unavailable when neither works.
    static NetworkIsolation detect();

    bool isAvailable() const;
    // "unshare -n", "unshare -rn" or "none", for messages.
    QString description() const;

    // Moves the calling process into a fresh namespace and raises loopback
    // there; nothing without isolation. Meant for a child between fork and
    // exec, so it makes system calls only and allocates nothing.
    bool enter() const;

private:
    enum class Mode { None, Network, UserAndNetwork };

    // Whether a child process can enter the namespace of mode.
    bool works(Mode mode) const;
    bool enter(Mode mode) const;

    Mode m_mode = Mode::None;
    // The user namespace's maps of the caller's ids to root, written before
    // the fork so that the child only copies them out.
    QByteArray m_userMap;
    QByteArray m_groupMap;
};

#endif // KORVUCHECK_NETWORKISOLATION_H
