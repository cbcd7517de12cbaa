#ifndef PLAVODELIVERY_DELIVERYSTORE_H
#define PLAVODELIVERY_DELIVERYSTORE_H

#include "delivery.h"

#include <QJsonArray>
#include <QSqlDatabase>
#include <QVector>

#include <functional>

class QSqlQuery;

// Keeps the deliveries in SQLite, one row per delivery holding its listed
// record as compact JSON, and mirrors them in memory for fast reading.
// Every change is committed before the method returns; memory follows only
// a successful commit, so a failed change leaves everything as it was.
//
// In memory each delivery exists once, as its listed record inside the
// listing, and always in the form a reload reads from the stored text, so
// that the listing stays the same across a restart.
class DeliveryStore
{
public:
    explicit DeliveryStore(const QSqlDatabase &database);

    // Creates the table when needed and reads every stored delivery.
    // Rows that cannot be read are reported and left alone.
    bool load(QString *errorMessage);

    // In creation order, oldest first.
    int count() const;
    Delivery at(int index) const;
    // The listed records, shared rather than copied.
    QJsonArray listing() const;
    bool contains(const QUuid &deliveryId) const;
    // A default Delivery (null id) when there is none.
    Delivery delivery(const QUuid &deliveryId) const;

    bool add(const Delivery &delivery, QString *errorMessage);
    // Both fail when the delivery does not exist.
    bool remove(const QUuid &deliveryId, QString *errorMessage);
    bool markDelivered(const QUuid &deliveryId, qint64 deliveredTimestamp, QString *errorMessage);

private:
    using Work = std::function<bool(QSqlQuery &query)>;

    bool createTable(QString *errorMessage);
    bool readRows(QString *errorMessage);
    void readRow(const QString &id, const QString &recordText);
    bool runInTransaction(const Work &work, QString *errorMessage);
    bool writeRecord(QSqlQuery &query, const QUuid &deliveryId, const QByteArray &recordText);
    int indexOf(const QUuid &deliveryId) const;

    QSqlDatabase m_database;
    QJsonArray m_records;
    // The id of each record, at the same index: finding a delivery by id
    // must not read every record.
    QVector<QUuid> m_ids;
};

#endif // PLAVODELIVERY_DELIVERYSTORE_H
