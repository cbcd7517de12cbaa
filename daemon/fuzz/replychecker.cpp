#include "replychecker.h"

#include "fuzzcheck.h"
#include "jsonstreamreader.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QStringList>

#include <limits>

namespace {

QByteArray compact(const QJsonObject &object) { return QJsonDocument(object).toJson(QJsonDocument::Compact); }

// Compared as the text a client receives: QJsonValue's own comparison tells
// apart two representations of one number beyond 2^53.
QByteArray compact(const QJsonValue &value) { return QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact); }

} // namespace

void ReplyChecker::checkReply(const QJsonObject &request, const QJsonObject &reply)
{
    checkShape(reply);
    const QJsonValue requestId = request.value(QStringLiteral("id"));
    const QJsonValue expectedId = requestId.isUndefined() ? QJsonValue(QJsonValue::Null) : requestId;
    fuzzCheck(compact(reply.value(QStringLiteral("id"))) == compact(expectedId), "the reply echoes the request's id",
              compact(request) + "\n" + compact(reply));
    checkReadsBack(reply);
}

void ReplyChecker::checkFramingErrorReply(const QJsonObject &reply)
{
    checkShape(reply);
    fuzzCheck(reply.value(QStringLiteral("status")) == QLatin1String("error"),
              "a framing error is reported as an error", compact(reply));
    fuzzCheck(reply.value(QStringLiteral("id")).isNull(), "a framing error reply has a null id", compact(reply));
}

void ReplyChecker::checkShape(const QJsonObject &reply)
{
    const QString status = reply.value(QStringLiteral("status")).toString();
    fuzzCheck(status == QLatin1String("success") || status == QLatin1String("error"), "the status is success or error",
              compact(reply));
    const bool isError = status == QLatin1String("error");

    QStringList expectedKeys{QStringLiteral("id"), QStringLiteral("params"), QStringLiteral("status")};
    if (isError)
        expectedKeys.prepend(QStringLiteral("error"));
    fuzzCheck(reply.keys() == expectedKeys, "the reply holds exactly the envelope keys", compact(reply));
    fuzzCheck(reply.value(QStringLiteral("params")).isObject(), "params is an object", compact(reply));
    if (isError)
        fuzzCheck(!reply.value(QStringLiteral("error")).toString().isEmpty(), "an error reply says why",
                  compact(reply));
}

void ReplyChecker::checkReadsBack(const QJsonObject &reply)
{
    // Replies have no size limit of their own; a client must still be able to frame them.
    JsonStreamReader reader(std::numeric_limits<int>::max());
    reader.feed(compact(reply));
    fuzzCheck(!reader.hasError() && reader.hasMessage(), "the reply frames as one JSON object", compact(reply));
    fuzzCheck(compact(reader.takeMessage()) == compact(reply) && !reader.hasMessage(), "the reply reads back unchanged",
              compact(reply));
}
