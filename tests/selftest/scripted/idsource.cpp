#include "idsource.h"

QString IdSource::nextThingId() { return idText(QStringLiteral("7e1e0000"), ++m_things); }

QString IdSource::nextDeliveryId() { return idText(QStringLiteral("de11ce00"), ++m_deliveries); }

void IdSource::restore(const QJsonObject &counters)
{
    m_things = counters.value("things").toInt();
    m_deliveries = counters.value("deliveries").toInt();
}

QJsonObject IdSource::toJson() const { return QJsonObject{{"things", m_things}, {"deliveries", m_deliveries}}; }

QString IdSource::idText(const QString &prefix, int number)
{
    return QStringLiteral("%1-0000-4000-8000-%2").arg(prefix).arg(number, 12, 10, QLatin1Char('0'));
}
