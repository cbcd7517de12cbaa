#ifndef KORVUD_THINGSTORE_H
#define KORVUD_THINGSTORE_H

#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QUuid>

// The configured things in SQLite. Every change is committed before the call
// returns, so it survives a SIGKILL of the daemon right after.
class ThingStore
{
public:
    struct StoredThing
    {
        QUuid id;
        QUuid thingClassId;
        QString name;
    };

    ThingStore();
    ~ThingStore();
    ThingStore(const ThingStore &) = delete;
    ThingStore &operator=(const ThingStore &) = delete;

    bool open(const QString &filePath, QString *errorMessage);

    // In the order the things were added.
    QList<StoredThing> loadThings(QString *errorMessage) const;
    bool insertThing(const StoredThing &thing, QString *errorMessage);
    bool removeThing(const QUuid &thingId, QString *errorMessage);

private:
    bool createSchema(QString *errorMessage);

    QString m_connectionName;
    QSqlDatabase m_database;
};

#endif // KORVUD_THINGSTORE_H
