#ifndef LIBKORVU_JSONREPLY_H
#define LIBKORVU_JSONREPLY_H

#include "korvu_global.h"

#include <QString>
#include <QVariantMap>

// The outcome of one JSON-RPC method call. The server wraps it into
// {"id", "status", "params"[, "error"]}.
class KORVU_EXPORT JsonReply
{
public:
    static JsonReply success(const QVariantMap &params = QVariantMap());
    static JsonReply error(const QString &message, const QVariantMap &params = QVariantMap());

    bool isSuccess() const;
    QVariantMap params() const;
    QString errorMessage() const;

private:
    JsonReply(bool success, const QVariantMap &params, const QString &errorMessage);

    bool m_success = false;
    QVariantMap m_params;
    QString m_errorMessage;
};

#endif // LIBKORVU_JSONREPLY_H
