#ifndef KORVUD_JSONRPCHANDLER_H
#define KORVUD_JSONRPCHANDLER_H

#include "jsonhandler.h"

#include <QVariantList>

// The "JSONRPC" namespace: the handshake.
class JsonRpcHandler : public JsonHandler
{
    Q_OBJECT
public:
    explicit JsonRpcHandler(QObject *parent = nullptr);

    // One {"name", "version"} map per loaded experience plug-in.
    void setExperiences(const QVariantList &experiences);

private:
    JsonReply hello(const QVariantMap &params) const;

    QVariantList m_experiences;
};

#endif // KORVUD_JSONRPCHANDLER_H
