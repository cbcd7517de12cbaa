#ifndef DELIVERYSTORE_H
#define DELIVERYSTORE_H

#include "delivery.h"

#include <QList>
#include <QSqlDatabase>
#include <QVariantList>

#include <functional>

class QSqlQuery;

// Keeps the deliveries in SQLite, one row per delivery holding its listed
// record as compact JSON, and mirrors them in memory for fast reading.
// Every change is committed before the method returns; memory follows only
// a successful commit, so a failed change leaves everything as it was.
class DeliveryStore
{
public:
    explicit DeliveryStore(const QSqlDatabase &database);

    // Creates the table when needed and reads every stored delivery.
    // Rows that cannot be read are reported and left alone.
    bool load(QString *errorMessage);

    // In creation order, oldest first.
    QList<Delivery> deliveries() const;
    QVariantList listing() const;
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
    bool runInTransaction(const Work &work, QString *errorMessage);
    bool writeRecord(QSqlQuery &query, const Delivery &delivery);
    int indexOf(const QUuid &deliveryId) const;

    QSqlDatabase m_database;
    QList<Delivery> m_deliveries;
    // The listed form of each delivery, kept beside it so that listing
    // thousands of deliveries costs no more than copying shared maps.
    QVariantList m_listing;
};

#endif // DELIVERYSTORE_H
