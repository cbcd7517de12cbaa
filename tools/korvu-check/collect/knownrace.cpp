#include "collect/knownrace.h"
#include "collect/trafficlog.h"

#include <tracefields.h>

#include <QJsonArray>

#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

namespace {

const QString expectedLabel = QStringLiteral("Expected: ");
const QString gotLabel = QStringLiteral("\nGot: ");
const QString createdField = QStringLiteral("createdTimestamp");
const QRegularExpression idPattern(QStringLiteral("\n    \"id\": \"([^\"]+)\""));
const QRegularExpression createdPattern(QStringLiteral("\n    \"createdTimestamp\": (\\d+)"));

// The object a text starts with; a message may go on after it, e.g. with
// the ")" that closes a QVERIFY2 message.
QJsonObject jsonObject(const QString &text)
{
    const QByteArray data = text.toUtf8();
    QJsonParseError error;
    QJsonDocument document = QJsonDocument::fromJson(data, &error);
    if (error.error == QJsonParseError::GarbageAtEnd)
        document = QJsonDocument::fromJson(data.left(error.offset), &error);
    return error.error == QJsonParseError::NoError ? document.object() : QJsonObject();
}

// The record of the delivery with the given id in the last listing of the row that holds it.
QJsonObject lastListed(const QJsonValue &id, const QVector<QJsonObject> &exchanges)
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
                return delivery.toObject();
        }
    }
    return QJsonObject();
}

} // namespace

QString KnownRace::noteFor(const TestVerdict &verdict, const QVector<QJsonObject> &exchanges)
{
    if (!verdict.isFailure())
        return QString();
    const QString message = verdict.messageLines.join(QLatin1Char('\n'));
    const int expectedAt = message.indexOf(expectedLabel);
    if (expectedAt < 0)
        return QString();
    const int gotAt = message.indexOf(gotLabel, expectedAt);
    const int expectedStart = expectedAt + expectedLabel.size();
    // The framework cuts long messages, so the expected record may end early.
    const QString expectedText = message.mid(expectedStart, gotAt < 0 ? -1 : gotAt - expectedStart).trimmed();
    const QRegularExpressionMatch id = idPattern.match(expectedText);
    const QRegularExpressionMatch created = createdPattern.match(expectedText);
    if (!id.hasMatch() || !created.hasMatch())
        return QString();

    QJsonObject listed = gotAt < 0 ? QJsonObject() : jsonObject(message.mid(gotAt + gotLabel.size()));
    if (listed.isEmpty())
        listed = lastListed(QJsonValue(id.captured(1)), exchanges);
    const double expectedCreated = created.captured(1).toDouble();
    if (qAbs(listed.value(createdField).toDouble() - expectedCreated) != 1)
        return QString();
    listed.insert(createdField, expectedCreated);
    // The check prints records as indented JSON with sorted keys, as QJsonDocument writes them.
    const QString listedText = QString::fromUtf8(QJsonDocument(listed).toJson()).trimmed();
    if (gotAt < 0 ? !listedText.startsWith(expectedText) : listedText != expectedText)
        return QString();
    return QStringLiteral("known race: the records differ only in createdTimestamp, by one second: either the "
                          "check's own race at a second boundary (it reads its clock in whole seconds after the "
                          "reply) or a creation time one second off; a rerun tells them apart.");
}
