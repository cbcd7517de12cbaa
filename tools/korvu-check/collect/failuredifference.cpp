#include "collect/failuredifference.h"
#include "collect/trafficlog.h"

#include <tracefields.h>

#include <QJsonArray>
#include <QJsonDocument>

namespace {

// The record of the delivery with the given id in the last listing of the row that holds it.
QJsonValue lastListed(const QJsonValue &id, const QVector<QJsonObject> &exchanges)
{
    for (auto it = exchanges.crbegin(); it != exchanges.crend(); ++it) {
        // What the clean-up after the row listed is no record the check compared.
        if (it->value(QLatin1String(TraceFields::kind)).toString() != QLatin1String(TraceFields::rpcKind)
            || it->value(QLatin1String(TraceFields::phase)).toString() == QLatin1String(TraceFields::cleanupPhase))
            continue;
        const QJsonObject reply = QJsonDocument::fromJson(TrafficLog::bytes(*it, TraceFields::reply)).object();
        const QJsonArray deliveries =
            reply.value(QLatin1String("params")).toObject().value(QLatin1String("deliveries")).toArray();
        for (const QJsonValue &delivery : deliveries) {
            if (delivery.toObject().value(QLatin1String("id")) == id)
                return delivery;
        }
    }
    return QJsonValue(QJsonValue::Undefined);
}

} // namespace

ValueDifference FailureDifference::of(const TestVerdict &verdict, const QVector<QJsonObject> &exchanges)
{
    if (!verdict.isFailure())
        return ValueDifference();
    return ValueDifference::inMessage(verdict.messageLines.join(QLatin1Char('\n')),
                                      [&exchanges](const QJsonValue &expected) {
                                          const QJsonValue id = expected.toObject().value(QLatin1String("id"));
                                          return id.isUndefined() ? id : lastListed(id, exchanges);
                                      });
}
