#ifndef KORVU_SYSTEM_HOSTILEREQUESTS_H
#define KORVU_SYSTEM_HOSTILEREQUESTS_H

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUuid>
#include <QVariantMap>

// Malformed and hostile JSON-RPC requests, by kind, with what korvud must make
// of each. Generated deterministically; the ids of real things make sure that
// each mistyped parameter is the only fault of its request.
class HostileRequests
{
public:
    enum class Outcome {
        // Status error, with a message that names every text in `mentions`.
        Error,
        // Status error, or success with a thing or delivery error: nothing is added.
        Refused,
        // Any well-formed reply.
        Answered,
    };

    // One complete JSON object: it gets exactly one reply with its id and the
    // connection stays open.
    struct Request
    {
        QByteArray bytes;
        Outcome outcome = Outcome::Answered;
        QStringList mentions;
    };

    HostileRequests(const QUuid &gateId, const QUuid &scannerId, const QUuid &notificationId);

    // Every parameter of every method, replaced in turn by values of the wrong type.
    QList<Request> wrongTypes() const;
    // A UUID parameter holding text that is no UUID, or no usable one.
    QList<Request> badUuids() const;
    QList<Request> unknownMethods() const;
    QList<Request> oddEnvelopes() const;
    // Huge strings and numbers, deep nesting, braces and escapes in strings.
    QList<Request> extremeValues() const;
    QList<Request> all() const;

    // Byte streams korvud cannot take as requests (not a JSON object, too big,
    // too deep, a repeated key): one error reply with a null id, then the
    // connection is closed.
    static QList<QByteArray> framingErrors();
    static QList<QByteArray> randomGarbage(int count, quint32 seed);

    static QByteArray withId(const QByteArray &request, int id);

private:
    struct Parameter
    {
        QString method;
        QStringList path; // keys from "params" down; "0" stands for the first list element
        QString kind; // "uuid", "string", "number", "list" or "object"
    };

    QList<Parameter> parameters() const;
    QVariantMap validParams(const QString &method) const;
    Request request(const QString &method, const QVariantMap &params, Outcome outcome,
                    const QStringList &mentions = QStringList()) const;
    Request substituted(const Parameter &parameter, const QVariant &value, Outcome outcome) const;
    static QList<QVariant> wrongValuesFor(const QString &kind);

    QUuid m_gateId;
    QUuid m_scannerId;
    QUuid m_notificationId;
};

#endif // KORVU_SYSTEM_HOSTILEREQUESTS_H
