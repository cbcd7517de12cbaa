#include "requestpath.h"

#include <QDir>

RequestPath::RequestPath()
    : m_registry(&m_store)
    , m_integrationsHandler(&m_registry)
{
    m_registry.addIntegrationPlugin(&m_plugin);
    m_router.registerHandler(&m_jsonRpcHandler);
    m_router.registerHandler(&m_integrationsHandler);
}

RequestPath::~RequestPath() { m_registry.releaseThings(); }

bool RequestPath::open(const QString &dataDirectory, QString *errorMessage)
{
    if (!m_store.open(QDir(dataDirectory).filePath(QStringLiteral("things.sqlite")), errorMessage))
        return false;
    m_registry.restoreThings();
    return true;
}

ThingStore &RequestPath::store() { return m_store; }
ThingRegistry &RequestPath::registry() { return m_registry; }
JsonRpcRouter &RequestPath::router() { return m_router; }

QJsonObject RequestPath::call(const QString &method, const QVariantMap &params)
{
    return m_router.processRequest({
        {QStringLiteral("id"), m_nextId++},
        {QStringLiteral("method"), method},
        {QStringLiteral("params"), QJsonObject::fromVariantMap(params)},
    });
}
