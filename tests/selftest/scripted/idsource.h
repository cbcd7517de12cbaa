#ifndef SCRIPTEDKORVUD_IDSOURCE_H
#define SCRIPTEDKORVUD_IDSOURCE_H

#include <QJsonObject>
#include <QString>

// Hands out ids from counters kept in the saved state, so that every run of a
// scenario on a fresh data folder sees the same ids:
// things 7e1e0000-0000-4000-8000-00000000000n, deliveries de11ce00-0000-4000-8000-00000000000n.
class IdSource
{
public:
    QString nextThingId();
    QString nextDeliveryId();

    void restore(const QJsonObject &counters);
    QJsonObject toJson() const;

private:
    static QString idText(const QString &prefix, int number);

    int m_things = 0;
    int m_deliveries = 0;
};

#endif // SCRIPTEDKORVUD_IDSOURCE_H
