#include "scenariocheck.h"

#include <QDir>

namespace {

QStringList checkArguments(const QStringList &arguments, const QString &daemon)
{
    return QStringList{QStringLiteral("--daemon"), daemon.isEmpty() ? QStringLiteral(KORVU_SCRIPTED_DAEMON) : daemon}
           + arguments;
}

QStringList scenarioEnvironment(const QString &scenario)
{
    return {QStringLiteral("KORVU_SCENARIO=") + QDir(ScenarioCheck::directory()).filePath(scenario)};
}

} // namespace

QString ScenarioCheck::directory()
{
    return qEnvironmentVariable("KORVU_SELFTEST_SCENARIOS", QStringLiteral(KORVU_SELFTEST_SCENARIOS));
}

CheckProcess *ScenarioCheck::create(const QString &scenario, const QStringList &arguments, int timeoutMsecs,
                                    QObject *parent, const QString &daemon)
{
    return new CheckProcess(checkArguments(arguments, daemon), scenarioEnvironment(scenario), timeoutMsecs, parent);
}

CheckProcess::Result ScenarioCheck::run(const QString &scenario, const QStringList &arguments, int timeoutMsecs,
                                        const QString &daemon)
{
    return CheckProcess::run(checkArguments(arguments, daemon), scenarioEnvironment(scenario), timeoutMsecs);
}
