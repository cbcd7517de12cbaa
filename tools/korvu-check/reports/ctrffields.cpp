#include "reports/ctrffields.h"

using namespace CtrfFields;

qint64 CtrfFields::milliseconds(double seconds) { return qRound64(seconds * 1000); }

void CtrfFields::insertIfAny(QJsonObject *object, const QString &key, const QString &text)
{
    if (!text.isEmpty())
        object->insert(key, text);
}

void CtrfFields::insertIfAny(QJsonObject *object, const QString &key, const QStringList &lines)
{
    if (!lines.isEmpty())
        object->insert(key, QJsonArray::fromStringList(lines));
}

QJsonObject CtrfFields::originObject(const RunResults::Origin &origin)
{
    QJsonObject object = {{QStringLiteral("job"), origin.job},
                          {QStringLiteral("shard"), origin.shard},
                          {QStringLiteral("repetition"), origin.repetition}};
    insertIfAny(&object, QStringLiteral("shardName"), origin.shardName);
    if (origin.attempt > 1)
        object.insert(QStringLiteral("attempt"), origin.attempt);
    return object;
}

namespace {

QJsonObject findingObject(const RunResults::Finding &found)
{
    QJsonObject object = {{QStringLiteral("kind"), found.finding.kindName()},
                          {QStringLiteral("function"), found.finding.function},
                          {QStringLiteral("lines"), QJsonArray::fromStringList(found.finding.lines)},
                          {QStringLiteral("origin"), originObject(found.origin)}};
    insertIfAny(&object, QStringLiteral("row"), found.finding.row);
    return object;
}

} // namespace

QJsonArray CtrfFields::findingsArray(const QVector<RunResults::Finding> &findings)
{
    QJsonArray array;
    for (const RunResults::Finding &found : findings)
        array.append(findingObject(found));
    return array;
}

QString CtrfFields::findingMessage(const DaemonFinding &finding)
{
    return QStringLiteral("%1: %2").arg(finding.kindName(), finding.lines.value(0));
}

QStringList CtrfFields::findingLines(const QVector<RunResults::Finding> &findings)
{
    QStringList lines;
    for (const RunResults::Finding &found : findings)
        lines += found.finding.lines;
    return lines;
}
