#include "networkisolation.h"
#include "checklogging.h"

#include <QProcess>
#include <QStandardPaths>

namespace {

// $1 is ip, the rest the command to run once loopback is up.
const QString namespaceScript = QStringLiteral("\"$1\" link set lo up && shift && exec \"$@\"");
const int probeTimeoutMsecs = 5000;

QString findTool(const QString &name)
{
    const QString onPath = QStandardPaths::findExecutable(name);
    if (!onPath.isEmpty())
        return onPath;
    // Normal users often lack the sbin folders on PATH.
    return QStandardPaths::findExecutable(name, {QStringLiteral("/usr/sbin"), QStringLiteral("/sbin"),
                                                 QStringLiteral("/usr/bin"), QStringLiteral("/bin")});
}

} // namespace

NetworkIsolation NetworkIsolation::detect()
{
    NetworkIsolation isolation;
    isolation.m_unshare = findTool(QStringLiteral("unshare"));
    isolation.m_ip = findTool(QStringLiteral("ip"));
    if (isolation.m_unshare.isEmpty() || isolation.m_ip.isEmpty()) {
        qCDebug(dcCheck) << "No unshare or ip here:" << isolation.m_unshare << isolation.m_ip;
        return isolation;
    }
    const QList<QStringList> candidates = {{QStringLiteral("-n")}, {QStringLiteral("-rn")}};
    for (const QStringList &candidate : candidates) {
        if (isolation.works(candidate)) {
            isolation.m_unshareArguments = candidate;
            break;
        }
    }
    qCDebug(dcCheck) << "Network isolation:" << isolation.description();
    return isolation;
}

bool NetworkIsolation::isAvailable() const { return !m_unshareArguments.isEmpty(); }

QString NetworkIsolation::description() const
{
    if (!isAvailable())
        return QStringLiteral("none");
    return QStringLiteral("unshare ") + m_unshareArguments.join(QLatin1Char(' '));
}

void NetworkIsolation::wrap(QString *program, QStringList *arguments) const
{
    if (!isAvailable())
        return;
    QStringList wrapped = m_unshareArguments;
    wrapped << QStringLiteral("sh") << QStringLiteral("-c") << namespaceScript << QStringLiteral("korvu-check-netns")
            << m_ip << *program;
    wrapped += *arguments;
    *program = m_unshare;
    *arguments = wrapped;
}

bool NetworkIsolation::works(const QStringList &unshareArguments) const
{
    QStringList arguments = unshareArguments;
    arguments << QStringLiteral("sh") << QStringLiteral("-c") << namespaceScript << QStringLiteral("korvu-check-netns")
              << m_ip << QStringLiteral("true");
    QProcess probe;
    probe.setStandardOutputFile(QProcess::nullDevice());
    probe.setStandardErrorFile(QProcess::nullDevice());
    probe.start(m_unshare, arguments);
    if (!probe.waitForFinished(probeTimeoutMsecs)) {
        probe.kill();
        probe.waitForFinished();
        return false;
    }
    return probe.exitStatus() == QProcess::NormalExit && probe.exitCode() == 0;
}
