#ifndef SCRIPTEDKORVUD_METHODRESULT_H
#define SCRIPTEDKORVUD_METHODRESULT_H

#include <QJsonObject>
#include <QString>

// What one JSON-RPC method produced, before it is wrapped into a reply.
struct MethodResult
{
    static MethodResult success(const QJsonObject &params) { return {true, params, QString()}; }
    static MethodResult error(const QString &message, const QJsonObject &params = QJsonObject())
    {
        return {false, params, message};
    }

    bool isSuccess = true;
    QJsonObject params;
    QString errorMessage;
};

#endif // SCRIPTEDKORVUD_METHODRESULT_H
