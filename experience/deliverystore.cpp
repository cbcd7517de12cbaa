#include "deliverystore.h"
#include "plavoexperiencelogging.h"
#include "uuidtext.h"

#include <QJsonDocument>
#include <QSqlError>
#include <QSqlQuery>

static QByteArray compactJson(const Delivery &delivery)
{
    return QJsonDocument(delivery.record()).toJson(QJsonDocument::Compact);
}

// The record as a reload will read it back from its stored text.
static QJsonObject storedForm(const QByteArray &recordText, QJsonParseError *parseError)
{
    return QJsonDocument::fromJson(recordText, parseError).object();
}

DeliveryStore::DeliveryStore(const QSqlDatabase &database)
    : m_database(database)
{
}

bool DeliveryStore::load(QString *errorMessage)
{
    m_records = QJsonArray();
    m_ids.clear();
    if (!m_database.isOpen()) {
        *errorMessage = QStringLiteral("the delivery database is not open");
        return false;
    }
    return createTable(errorMessage) && readRows(errorMessage);
}

bool DeliveryStore::createTable(QString *errorMessage)
{
    return runInTransaction(
        [](QSqlQuery &query) {
            // AUTOINCREMENT never hands out a position twice, so creation order
            // survives removals.
            return query.exec(QStringLiteral("CREATE TABLE IF NOT EXISTS deliveries ("
                                             " position INTEGER PRIMARY KEY AUTOINCREMENT,"
                                             " id TEXT NOT NULL UNIQUE,"
                                             " record TEXT NOT NULL)"));
        },
        errorMessage);
}

bool DeliveryStore::readRows(QString *errorMessage)
{
    QSqlQuery query(m_database);
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral("SELECT id, record FROM deliveries ORDER BY position"))) {
        *errorMessage = query.lastError().text();
        return false;
    }
    while (query.next())
        readRow(query.value(0).toString(), query.value(1).toString());
    qCDebug(dcPlavoExperience) << "Loaded" << m_records.size() << "deliveries";
    return true;
}

// Stored records were checked when they were added and are taken as they
// are; only a row that is no record of its own id is skipped.
void DeliveryStore::readRow(const QString &id, const QString &recordText)
{
    QJsonParseError parseError;
    const QJsonObject record = storedForm(recordText.toUtf8(), &parseError);
    if (parseError.error != QJsonParseError::NoError || record.isEmpty()) {
        qCWarning(dcPlavoExperience) << "Skipping unreadable stored delivery" << id << parseError.errorString();
        return;
    }
    const QUuid deliveryId(id);
    if (deliveryId.isNull() || record.value(QStringLiteral("id")).toString() != Korvu::idText(deliveryId)) {
        qCWarning(dcPlavoExperience) << "Skipping stored delivery" << id << "whose record names another id";
        return;
    }
    m_records.append(record);
    m_ids.append(deliveryId);
}

int DeliveryStore::count() const { return m_ids.size(); }
Delivery DeliveryStore::at(int index) const { return Delivery(m_records.at(index).toObject()); }
QJsonArray DeliveryStore::listing() const { return m_records; }
bool DeliveryStore::contains(const QUuid &deliveryId) const { return indexOf(deliveryId) >= 0; }

Delivery DeliveryStore::delivery(const QUuid &deliveryId) const
{
    const int index = indexOf(deliveryId);
    return index < 0 ? Delivery() : at(index);
}

bool DeliveryStore::add(const Delivery &delivery, QString *errorMessage)
{
    const QByteArray recordText = compactJson(delivery);
    const bool stored = runInTransaction(
        [&](QSqlQuery &query) {
            query.prepare(QStringLiteral("INSERT INTO deliveries (id, record) VALUES (:id, :record)"));
            return writeRecord(query, delivery.id(), recordText);
        },
        errorMessage);
    if (!stored)
        return false;
    m_records.append(storedForm(recordText, nullptr));
    m_ids.append(delivery.id());
    return true;
}

bool DeliveryStore::remove(const QUuid &deliveryId, QString *errorMessage)
{
    const int index = indexOf(deliveryId);
    if (index < 0) {
        *errorMessage = QStringLiteral("no such delivery");
        return false;
    }
    const bool removed = runInTransaction(
        [&](QSqlQuery &query) {
            query.prepare(QStringLiteral("DELETE FROM deliveries WHERE id = :id"));
            query.bindValue(QStringLiteral(":id"), Korvu::idText(deliveryId));
            return query.exec() && query.numRowsAffected() == 1;
        },
        errorMessage);
    if (!removed)
        return false;
    m_records.removeAt(index);
    m_ids.removeAt(index);
    return true;
}

bool DeliveryStore::markDelivered(const QUuid &deliveryId, qint64 deliveredTimestamp, QString *errorMessage)
{
    const int index = indexOf(deliveryId);
    if (index < 0) {
        *errorMessage = QStringLiteral("no such delivery");
        return false;
    }
    Delivery delivered = at(index);
    delivered.setDelivered(deliveredTimestamp);
    const QByteArray recordText = compactJson(delivered);
    const bool stored = runInTransaction(
        [&](QSqlQuery &query) {
            query.prepare(QStringLiteral("UPDATE deliveries SET record = :record WHERE id = :id"));
            return writeRecord(query, deliveryId, recordText) && query.numRowsAffected() == 1;
        },
        errorMessage);
    if (!stored)
        return false;
    m_records.replace(index, storedForm(recordText, nullptr));
    return true;
}

bool DeliveryStore::runInTransaction(const Work &work, QString *errorMessage)
{
    if (!m_database.transaction()) {
        *errorMessage = m_database.lastError().text();
        return false;
    }
    QSqlQuery query(m_database);
    bool done = work(query);
    if (!done)
        *errorMessage = query.lastError().text();
    query.finish();
    if (done && !m_database.commit()) {
        *errorMessage = m_database.lastError().text();
        done = false;
    }
    if (!done) {
        if (errorMessage->isEmpty())
            *errorMessage = QStringLiteral("the change did not apply");
        m_database.rollback();
    }
    return done;
}

bool DeliveryStore::writeRecord(QSqlQuery &query, const QUuid &deliveryId, const QByteArray &recordText)
{
    query.bindValue(QStringLiteral(":id"), Korvu::idText(deliveryId));
    query.bindValue(QStringLiteral(":record"), QString::fromUtf8(recordText));
    return query.exec();
}

int DeliveryStore::indexOf(const QUuid &deliveryId) const { return m_ids.indexOf(deliveryId); }
