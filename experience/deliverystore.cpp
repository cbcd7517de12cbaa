#include "deliverystore.h"
#include "deliveryparser.h"
#include "plavoexperiencelogging.h"
#include "variantparser.h"

#include <QJsonDocument>
#include <QSqlError>
#include <QSqlQuery>

static QByteArray compactJson(const QVariantMap &map)
{
    return QJsonDocument::fromVariant(map).toJson(QJsonDocument::Compact);
}

DeliveryStore::DeliveryStore(const QSqlDatabase &database)
    : m_database(database)
{
}

bool DeliveryStore::load(QString *errorMessage)
{
    m_deliveries.clear();
    m_listing.clear();
    if (!m_database.isOpen()) {
        *errorMessage = QStringLiteral("the delivery database is not open");
        return false;
    }
    return createTable(errorMessage) && readRows(errorMessage);
}

bool DeliveryStore::createTable(QString *errorMessage)
{
    return runInTransaction([](QSqlQuery &query) {
        // AUTOINCREMENT never hands out a position twice, so creation order
        // survives removals.
        return query.exec(QStringLiteral(
            "CREATE TABLE IF NOT EXISTS deliveries ("
            " position INTEGER PRIMARY KEY AUTOINCREMENT,"
            " id TEXT NOT NULL UNIQUE,"
            " record TEXT NOT NULL)"));
    }, errorMessage);
}

bool DeliveryStore::readRows(QString *errorMessage)
{
    QSqlQuery query(m_database);
    if (!query.exec(QStringLiteral("SELECT id, record FROM deliveries ORDER BY position"))) {
        *errorMessage = query.lastError().text();
        return false;
    }
    while (query.next()) {
        const QString id = query.value(0).toString();
        QJsonParseError parseError;
        const QJsonDocument document = QJsonDocument::fromJson(query.value(1).toByteArray(), &parseError);
        DeliveryParser parser;
        if (parseError.error != QJsonParseError::NoError || !parser.parseStoredRecord(document.toVariant())) {
            qCWarning(dcPlavoExperience) << "Skipping unreadable stored delivery" << id << parseError.errorString()
                                         << parser.errorParameter() << parser.errorReason();
            continue;
        }
        const Delivery delivery = parser.delivery();
        if (VariantParser::uuidText(delivery.id()) != id) {
            qCWarning(dcPlavoExperience) << "Skipping stored delivery" << id << "whose record names another id";
            continue;
        }
        m_deliveries.append(delivery);
        m_listing.append(delivery.toVariantMap());
    }
    qCDebug(dcPlavoExperience) << "Loaded" << m_deliveries.size() << "deliveries";
    return true;
}

QList<Delivery> DeliveryStore::deliveries() const { return m_deliveries; }
QVariantList DeliveryStore::listing() const { return m_listing; }
bool DeliveryStore::contains(const QUuid &deliveryId) const { return indexOf(deliveryId) >= 0; }

Delivery DeliveryStore::delivery(const QUuid &deliveryId) const
{
    const int index = indexOf(deliveryId);
    return index < 0 ? Delivery() : m_deliveries.at(index);
}

bool DeliveryStore::add(const Delivery &delivery, QString *errorMessage)
{
    const bool stored = runInTransaction([&](QSqlQuery &query) {
        query.prepare(QStringLiteral("INSERT INTO deliveries (id, record) VALUES (:id, :record)"));
        return writeRecord(query, delivery);
    }, errorMessage);
    if (!stored)
        return false;
    m_deliveries.append(delivery);
    m_listing.append(delivery.toVariantMap());
    return true;
}

bool DeliveryStore::remove(const QUuid &deliveryId, QString *errorMessage)
{
    const int index = indexOf(deliveryId);
    if (index < 0) {
        *errorMessage = QStringLiteral("no such delivery");
        return false;
    }
    const bool removed = runInTransaction([&](QSqlQuery &query) {
        query.prepare(QStringLiteral("DELETE FROM deliveries WHERE id = :id"));
        query.bindValue(QStringLiteral(":id"), VariantParser::uuidText(deliveryId));
        return query.exec() && query.numRowsAffected() == 1;
    }, errorMessage);
    if (!removed)
        return false;
    m_deliveries.removeAt(index);
    m_listing.removeAt(index);
    return true;
}

bool DeliveryStore::markDelivered(const QUuid &deliveryId, qint64 deliveredTimestamp, QString *errorMessage)
{
    const int index = indexOf(deliveryId);
    if (index < 0) {
        *errorMessage = QStringLiteral("no such delivery");
        return false;
    }
    Delivery delivered = m_deliveries.at(index);
    delivered.setDelivered(deliveredTimestamp);
    const bool stored = runInTransaction([&](QSqlQuery &query) {
        query.prepare(QStringLiteral("UPDATE deliveries SET record = :record WHERE id = :id"));
        return writeRecord(query, delivered) && query.numRowsAffected() == 1;
    }, errorMessage);
    if (!stored)
        return false;
    m_deliveries[index] = delivered;
    m_listing[index] = delivered.toVariantMap();
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

bool DeliveryStore::writeRecord(QSqlQuery &query, const Delivery &delivery)
{
    query.bindValue(QStringLiteral(":id"), VariantParser::uuidText(delivery.id()));
    query.bindValue(QStringLiteral(":record"), QString::fromUtf8(compactJson(delivery.toVariantMap())));
    return query.exec();
}

int DeliveryStore::indexOf(const QUuid &deliveryId) const
{
    for (int i = 0; i < m_deliveries.size(); ++i) {
        if (m_deliveries.at(i).id() == deliveryId)
            return i;
    }
    return -1;
}
