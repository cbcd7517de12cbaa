#include "jsonreply.h"

JsonReply::JsonReply(bool success, const QVariantMap &params, const QString &errorMessage)
    : m_success(success)
    , m_params(params)
    , m_errorMessage(errorMessage)
{
}

JsonReply JsonReply::success(const QVariantMap &params) { return JsonReply(true, params, QString()); }

JsonReply JsonReply::error(const QString &message, const QVariantMap &params)
{
    return JsonReply(false, params, message);
}

bool JsonReply::isSuccess() const { return m_success; }
QVariantMap JsonReply::params() const { return m_params; }
QString JsonReply::errorMessage() const { return m_errorMessage; }
