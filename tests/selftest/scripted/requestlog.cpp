#include "requestlog.h"

#include <QDateTime>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

RequestLog::RequestLog(const QString &filePath, int start)
    : m_filePath(filePath)
    , m_start(start)
{
}

void RequestLog::recordRpc(const QByteArray &raw)
{
    write(QStringLiteral("rpc"), QStringLiteral("data"), QString::fromUtf8(raw));
}

void RequestLog::recordTrailingBytes(const QByteArray &raw)
{
    write(QStringLiteral("trailing"), QStringLiteral("data"), QString::fromUtf8(raw));
}

void RequestLog::recordHttp(int port, const QString &requestLine)
{
    write(QStringLiteral("http"), QStringLiteral("line"), requestLine, port);
}

void RequestLog::write(const QString &kind, const QString &key, const QString &text, int port)
{
    if (m_filePath.isEmpty())
        return;
    QJsonObject entry{
        {"t", QDateTime::currentMSecsSinceEpoch()},
        {"start", m_start},
        {"kind", kind},
        {key, text},
    };
    if (port)
        entry.insert("port", port);
    QFile file(m_filePath);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return;
    file.write(QJsonDocument(entry).toJson(QJsonDocument::Compact) + '\n');
}
