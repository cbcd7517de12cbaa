#include "collect/knownrace.h"
#include "collect/failuredifference.h"

QString KnownRace::noteFor(const TestVerdict &verdict, const QVector<QJsonObject> &exchanges)
{
    const QVector<ValueDifference::Field> fields = FailureDifference::of(verdict, exchanges).fields();
    if (fields.size() != 1 || fields.constFirst().path != QLatin1String("createdTimestamp"))
        return QString();
    const ValueDifference::Field &created = fields.constFirst();
    if (!created.expected.isDouble() || !created.actual.isDouble()
        || qAbs(created.expected.toDouble() - created.actual.toDouble()) != 1)
        return QString();
    return QStringLiteral("known race: the records differ only in createdTimestamp, by one second: either the "
                          "check's own race at a second boundary (it reads its clock in whole seconds after the "
                          "reply) or a creation time one second off; a rerun tells them apart.");
}
