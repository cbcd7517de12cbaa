#ifndef PLAVODELIVERY_TESTS_FAKEDEVICESPLUGIN_H
#define PLAVODELIVERY_TESTS_FAKEDEVICESPLUGIN_H

#include "integrationplugin.h"

#include <QList>
#include <QStringList>

// An integration plug-in with things of the three delivery interfaces (plus
// an unrelated lamp) that records every action run on them. The gate follows
// "open" and "close" with its "state" at once, a little later, or not at all.
class FakeDevicesPlugin : public IntegrationPlugin
{
    Q_OBJECT
public:
    enum class GateBehaviour { FollowsAtOnce, FollowsLater, Stuck };

    struct ExecutedAction
    {
        QUuid thingId;
        QString actionName;
        QVariantMap params;
        qint64 msecsSinceEpoch;
    };

    static ThingClass gateClass();
    static ThingClass scannerClass();
    static ThingClass notificationClass();
    static ThingClass lampClass();

    QString pluginName() const override;
    QList<ThingClass> thingClasses() const override;
    Korvu::ThingError setupThing(Thing *thing) override;
    Korvu::ThingError executeAction(Thing *thing, const Action &action) override;

    QList<ExecutedAction> executedActions() const;
    void setGateBehaviour(GateBehaviour behaviour);
    // The action of this name fails (after it is recorded).
    void setFailingAction(const QString &actionName);

private:
    void followGateAction(Thing *gate, const QString &actionName);

    QList<ExecutedAction> m_executedActions;
    GateBehaviour m_gateBehaviour = GateBehaviour::FollowsAtOnce;
    QString m_failingAction;
};

#endif // PLAVODELIVERY_TESTS_FAKEDEVICESPLUGIN_H
