#ifndef SCRIPTEDKORVUD_SCRIPTEDTHINGMANAGER_H
#define SCRIPTEDKORVUD_SCRIPTEDTHINGMANAGER_H

#include "mockthing.h"
#include "thingmanager.h"

#include <QJsonArray>
#include <QList>

class RequestLog;
class Scenario;

// The things of the scripted daemon, in the order they were added. It is the
// thing manager the delivery rules of PlavoDelivery check records against.
class ScriptedThingManager : public ThingManager
{
    Q_OBJECT
public:
    ScriptedThingManager(const Scenario &scenario, RequestLog *requestLog, QObject *parent = nullptr);

    Korvu::ThingError addThing(const QString &idText, const QString &classIdText, const QString &name);
    Korvu::ThingError removeThing(const QUuid &thingId);

    MockThing *findMockThing(const QUuid &thingId) const;

    QList<Thing *> things() const override;
    Thing *findThing(const QUuid &thingId) const override;
    Korvu::ThingError executeAction(const Action &action) override;

    // Things restored from a saved or initial state keep their id texts.
    void restore(const QJsonArray &things);
    QJsonArray toJson() const;

signals:
    void changed();
    void codeScanned(MockThing *scanner, const QString &code);

private:
    MockThing *firstOfKind(MockThing::Kind kind) const;

    QList<MockThing *> m_things;
    const Scenario &m_scenario;
    RequestLog *m_requestLog;
};

#endif // SCRIPTEDKORVUD_SCRIPTEDTHINGMANAGER_H
