#include "expectedtext.h"

#include <QJsonDocument>

QString ExpectedText::json(const QString &compactJson)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(compactJson.toUtf8(), &error);
    Q_ASSERT_X(error.error == QJsonParseError::NoError, "ExpectedText::json", qPrintable(compactJson));
    return QString::fromUtf8(document.toJson(QJsonDocument::Indented))
        .replace(QStringLiteral("\"<<N>>\""), QStringLiteral("<<N>>"));
}

QString ExpectedText::rpc(const QString &method, const QString &compactParams)
{
    return QStringLiteral("rpc {\"id\":<<N>>,\"method\":\"%1\",\"params\":%2}").arg(method, compactParams);
}

QString ExpectedText::http(int port, const QString &pathAndQuery)
{
    return QStringLiteral("http %1 GET %2 HTTP/1.1").arg(port).arg(pathAndQuery);
}
