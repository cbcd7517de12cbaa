#ifndef KORVUD_REQUESTPATH_H
#define KORVUD_REQUESTPATH_H

#include "integrationshandler.h"
#include "jsonrpchandler.h"
#include "jsonrpcrouter.h"
#include "testthingsplugin.h"
#include "thingregistry.h"
#include "thingstore.h"

#include <QJsonObject>
#include <QVariantMap>

// korvud's request path in one process, without sockets or plug-in loading:
// the thing store in a data folder, the test integration plug-in, the thing
// registry, and the JSONRPC and Integrations handlers behind a router.
class RequestPath
{
public:
    RequestPath();
    ~RequestPath();
    RequestPath(const RequestPath &) = delete;
    RequestPath &operator=(const RequestPath &) = delete;

    // Opens the store in dataDirectory and sets up the things stored there
    // again, as korvud does when it starts.
    bool open(const QString &dataDirectory, QString *errorMessage);

    ThingStore &store();
    ThingRegistry &registry();
    JsonRpcRouter &router();

    // Sends one request as a client would and returns the reply.
    QJsonObject call(const QString &method, const QVariantMap &params = QVariantMap());

private:
    ThingStore m_store;
    TestThingsPlugin m_plugin;
    ThingRegistry m_registry;
    JsonRpcHandler m_jsonRpcHandler;
    IntegrationsHandler m_integrationsHandler;
    JsonRpcRouter m_router;
    int m_nextId = 1;
};

#endif // KORVUD_REQUESTPATH_H
