#include "tests/scenariocheck.h"

#include <QDir>
#include <QRegularExpression>

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
                                        const QString &daemon, const QStringList &environment)
{
    return CheckProcess::run(checkArguments(arguments, daemon), scenarioEnvironment(scenario) + environment,
                             timeoutMsecs);
}

QString ScenarioCheck::normalised(QString text)
{
    static const QRegularExpression countedIds(QStringLiteral("(7e1e0000|de11ce00)-0000-4000-8000-[0-9a-f]{12}"),
                                               QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression requestIds(QStringLiteral("\"id\": \\d+"));
    static const QRegularExpression seconds(QStringLiteral("\\b\\d{10}\\b"));
    return text.replace(countedIds, QStringLiteral("\\1-<counted>"))
        .replace(requestIds, QStringLiteral("\"id\": <request>"))
        .replace(seconds, QStringLiteral("<seconds>"));
}
