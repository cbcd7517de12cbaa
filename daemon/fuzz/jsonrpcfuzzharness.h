#ifndef JSONRPCFUZZHARNESS_H
#define JSONRPCFUZZHARNESS_H

#include "requestpath.h"

#include <QJsonObject>
#include <QList>
#include <QTemporaryDir>

class JsonStreamReader;
struct FuzzInput;

// The stream reader in front of the daemon's request path (RequestPath) with
// its thing store in a temporary folder (in memory where the system offers
// one). One instance serves every fuzz input; the things an input adds are
// removed after it.
class JsonRpcFuzzHarness
{
public:
    JsonRpcFuzzHarness();
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
    RequestPath m_requestPath;
};

#endif // JSONRPCFUZZHARNESS_H
