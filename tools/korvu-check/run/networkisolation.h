#ifndef KORVUCHECK_NETWORKISOLATION_H
#define KORVUCHECK_NETWORKISOLATION_H

#include <QString>
#include <QStringList>

// Runs programs in a private network namespace with only loopback up, so the
// daemon's fixed ports never meet anything else on the machine.
class NetworkIsolation
{
public:
    // Tries "unshare -n" (root) and "unshare -rn" (user namespaces), each with
    // "ip link set lo up" inside; unavailable when neither works.
    static NetworkIsolation detect();

    bool isAvailable() const;
    // "unshare -n", "unshare -rn" or "none", for messages.
    QString description() const;

    // Rewrites *program and *arguments to run in a fresh namespace of their own.
    void wrap(QString *program, QStringList *arguments) const;

private:
    bool works(const QStringList &unshareArguments) const;

    QString m_unshare;
    QString m_ip;
    QStringList m_unshareArguments;
};

#endif // KORVUCHECK_NETWORKISOLATION_H
