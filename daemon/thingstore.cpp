#include "thingstore.h"

#include "storage.h"
#include "uuidtext.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace {

bool execute(QSqlQuery &query, QString *errorMessage)
{
    if (query.exec())
        return true;
    if (errorMessage)
        *errorMessage = query.lastError().text();
    return false;
}

} // namespace

ThingStore::ThingStore()
    : m_connectionName(QStringLiteral("korvud-things"))
{
}

ThingStore::~ThingStore()
{
    if (!m_database.isValid())
        return;
    m_database.close();
    m_database = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_connectionName);
}

bool ThingStore::open(const QString &filePath, QString *errorMessage)
{
    m_database = Storage::open(filePath, m_connectionName, errorMessage);
    if (!m_database.isValid())
        return false;
    return createSchema(errorMessage);
}

bool ThingStore::createSchema(QString *errorMessage)
{
    QSqlQuery query(m_database);
    query.prepare(QStringLiteral("CREATE TABLE IF NOT EXISTS things ("
                                 " id TEXT PRIMARY KEY NOT NULL,"
                                 " thingClassId TEXT NOT NULL,"
                                 " name TEXT NOT NULL)"));
    return execute(query, errorMessage);
}

QList<ThingStore::StoredThing> ThingStore::loadThings(QString *errorMessage) const
{
    QList<StoredThing> things;
    QSqlQuery query(m_database);
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("SELECT id, thingClassId, name FROM things ORDER BY rowid"));
    if (!execute(query, errorMessage))
        return things;
    while (query.next())
        things.append({QUuid(query.value(0).toString()), QUuid(query.value(1).toString()), query.value(2).toString()});
    return things;
}

bool ThingStore::insertThing(const StoredThing &thing, QString *errorMessage)
{
    QSqlQuery query(m_database);
    query.prepare(QStringLiteral("INSERT INTO things (id, thingClassId, name) VALUES (?, ?, ?)"));
    query.addBindValue(Korvu::idText(thing.id));
    query.addBindValue(Korvu::idText(thing.thingClassId));
    query.addBindValue(thing.name);
    return execute(query, errorMessage);
}

bool ThingStore::removeThing(const QUuid &thingId, QString *errorMessage)
{
    QSqlQuery query(m_database);
    query.prepare(QStringLiteral("DELETE FROM things WHERE id = ?"));
    query.addBindValue(Korvu::idText(thingId));
    return execute(query, errorMessage);
}
