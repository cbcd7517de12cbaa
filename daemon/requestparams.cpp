#include "requestparams.h"

#include "uuidtext.h"

RequestParams::RequestParams(const QString &method, const QVariantMap &params)
    : m_method(method)
    , m_params(params)
{
}

bool RequestParams::readString(const QString &name, QString *value)
{
    if (!m_params.contains(name))
        return fail(name, QStringLiteral("is missing"));
    const QVariant raw = m_params.value(name);
    if (raw.userType() != QMetaType::QString)
        return fail(name, QStringLiteral("must be a string"));
    *value = raw.toString();
    return true;
}

bool RequestParams::readUuid(const QString &name, QUuid *value)
{
    if (!m_params.contains(name))
        return fail(name, QStringLiteral("is missing"));
    const QVariant raw = m_params.value(name);
    QUuid uuid;
    if (raw.userType() != QMetaType::QString || !Korvu::parseUuid(raw.toString(), &uuid) || uuid.isNull())
        return fail(name, QStringLiteral("must be a UUID"));
    *value = uuid;
    return true;
}

bool RequestParams::readOptionalMap(const QString &name, QVariantMap *value)
{
    if (!m_params.contains(name)) {
        *value = QVariantMap();
        return true;
    }
    const QVariant raw = m_params.value(name);
    if (raw.userType() != QMetaType::QVariantMap)
        return fail(name, QStringLiteral("must be an object"));
    *value = raw.toMap();
    return true;
}

QString RequestParams::errorMessage() const { return m_errorMessage; }

bool RequestParams::fail(const QString &name, const QString &problem)
{
    if (m_errorMessage.isEmpty())
        m_errorMessage = QStringLiteral("%1: parameter \"%2\" %3").arg(m_method, name, problem);
    return false;
}
