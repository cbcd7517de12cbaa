#include "scenariocheck.h"

#include <QDir>

namespace {

QStringList checkArguments(const QStringList &arguments)
{
    return QStringList{QStringLiteral("--daemon"), QStringLiteral(KORVU_SCRIPTED_DAEMON)} + arguments;
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
                                    QObject *parent)
{
    return new CheckProcess(checkArguments(arguments), scenarioEnvironment(scenario), timeoutMsecs, parent);
}

CheckProcess::Result ScenarioCheck::run(const QString &scenario, const QStringList &arguments, int timeoutMsecs)
{
    return CheckProcess::run(checkArguments(arguments), scenarioEnvironment(scenario), timeoutMsecs);
}
