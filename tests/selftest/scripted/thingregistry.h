#ifndef THINGREGISTRY_H
#define THINGREGISTRY_H

#include "mockthing.h"

#include <QJsonArray>
#include <QList>
#include <QObject>

// The things of the scripted daemon, in the order they were added.
class ThingRegistry : public QObject
{
    Q_OBJECT
public:
    ThingRegistry(const Scenario &scenario, RequestLog *requestLog, QObject *parent = nullptr);

    // Returns a thingError name; on success *thingId is set.
    QString addThing(const QString &idText, const QString &classIdText, const QString &name);
    QString removeThing(const QUuid &thingId);

    MockThing *findThing(const QUuid &thingId) const;
    MockThing *firstOfKind(MockThing::Kind kind) const;
    QList<MockThing *> things() const;

    // Things restored from a saved or initial state keep their id texts.
    void restore(const QJsonArray &things);
    QJsonArray toJson() const;

signals:
    void changed();
    void codeScanned(MockThing *scanner, const QString &code);

private:
    QList<MockThing *> m_things;
    const Scenario &m_scenario;
    RequestLog *m_requestLog;
};

#endif // THINGREGISTRY_H
