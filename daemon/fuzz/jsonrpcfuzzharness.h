#ifndef JSONRPCFUZZHARNESS_H
#define JSONRPCFUZZHARNESS_H

#include "jsonrpcrouter.h"
#include "thingstore.h"

#include <QJsonObject>
#include <QList>
#include <QTemporaryDir>

#include <memory>

class IntegrationsHandler;
class JsonRpcHandler;
class JsonStreamReader;
class ThingRegistry;
class TestThingsPlugin;
struct FuzzInput;

// The daemon's request path without sockets: the stream reader, the router
// and the JSONRPC and Integrations handlers over a thing registry with the
// daemon tests' lamp plug-in and a thing store in a temporary folder (in
// memory where the system offers one). One instance serves every fuzz input;
// the things an input adds are removed after it.
class JsonRpcFuzzHarness
{
public:
    JsonRpcFuzzHarness();
    ~JsonRpcFuzzHarness();
    JsonRpcFuzzHarness(const JsonRpcFuzzHarness &) = delete;
    JsonRpcFuzzHarness &operator=(const JsonRpcFuzzHarness &) = delete;

    void run(const FuzzInput &input);

private:
    // Feeds the stream piece by piece and answers every message at once, as
    // the server does; returns the messages in order.
    QList<QJsonObject> serve(const FuzzInput &input, JsonStreamReader *reader);
    void answer(JsonStreamReader *reader, QList<QJsonObject> *messages);
    void checkFraming(const FuzzInput &input, const QList<QJsonObject> &messages, bool failed);
    void checkStoreMatchesRegistry();
    void removeAllThings();

    QTemporaryDir m_dataDir;
    ThingStore m_store;
    std::unique_ptr<TestThingsPlugin> m_plugin;
    std::unique_ptr<ThingRegistry> m_registry;
    std::unique_ptr<JsonRpcHandler> m_jsonRpcHandler;
    std::unique_ptr<IntegrationsHandler> m_integrationsHandler;
    JsonRpcRouter m_router;
};

#endif // JSONRPCFUZZHARNESS_H
