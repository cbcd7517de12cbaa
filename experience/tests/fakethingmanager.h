#ifndef PLAVODELIVERY_TESTS_FAKETHINGMANAGER_H
#define PLAVODELIVERY_TESTS_FAKETHINGMANAGER_H

#include "thingmanager.h"

#include <QList>
#include <QStringList>

// Things of the three delivery interfaces (plus an unrelated lamp) that
// record every action run on them. The gate follows "open" and "close"
// with its "state" at once, a little later, or not at all.
class FakeThingManager : public ThingManager
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

    explicit FakeThingManager(QObject *parent = nullptr);

    static ThingClass gateClass();
    static ThingClass scannerClass();
    static ThingClass notificationClass();
    static ThingClass lampClass();

    Thing *addThing(const ThingClass &thingClass, const QString &name);
    Thing *addGate();
    Thing *addScanner();
    Thing *addNotificationDevice();
    void removeThing(const QUuid &thingId);

    QList<Thing *> things() const override;
    Thing *findThing(const QUuid &thingId) const override;
    Korvu::ThingError executeAction(const Action &action) override;

    // Emits the scanner's "codeScanned" event.
    void scan(const QUuid &scannerId, const QString &code);

    QList<ExecutedAction> executedActions() const;
    QStringList actionNames(const QUuid &thingId) const;
    QString gateState(const QUuid &gateId) const;

    void setGateBehaviour(GateBehaviour behaviour);
    void setFailingAction(const QString &actionName);

private:
    void followGateAction(Thing *gate, const QString &actionName);

    QList<Thing *> m_things;
    QList<ExecutedAction> m_executedActions;
    GateBehaviour m_gateBehaviour = GateBehaviour::FollowsAtOnce;
    QString m_failingAction;
};

#endif // PLAVODELIVERY_TESTS_FAKETHINGMANAGER_H
