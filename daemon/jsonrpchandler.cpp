#include "jsonrpchandler.h"

#include <QCoreApplication>

JsonRpcHandler::JsonRpcHandler(QObject *parent)
    : JsonHandler(QStringLiteral("JSONRPC"), parent)
{
    registerMethod(QStringLiteral("Hello"), [this](const QVariantMap &params) { return hello(params); });
}

void JsonRpcHandler::setExperiences(const QVariantList &experiences) { m_experiences = experiences; }

JsonReply JsonRpcHandler::hello(const QVariantMap &params) const
{
    Q_UNUSED(params)
    return JsonReply::success({
        {QStringLiteral("server"), QCoreApplication::applicationName()},
        {QStringLiteral("version"), QCoreApplication::applicationVersion()},
        {QStringLiteral("authenticationRequired"), false},
        {QStringLiteral("experiences"), m_experiences},
    });
}
