#include "requestrecord.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

QString RequestRecord::Entry::summary() const
{
    if (kind == "http")
        return QStringLiteral("http %1 %2").arg(port).arg(text);
    return kind + ' ' + text;
}

RequestRecord RequestRecord::fromFile(const QString &filePath, QString *errorMessage)
{
    RequestRecord record;
    QFile file(filePath);
    if (!file.exists())
        return record;
    if (!file.open(QIODevice::ReadOnly)) {
        *errorMessage = QStringLiteral("cannot read %1: %2").arg(filePath, file.errorString());
        return record;
    }
    while (!file.atEnd()) {
        const QByteArray line = file.readLine().trimmed();
        if (line.isEmpty())
            continue;
        const QJsonObject object = QJsonDocument::fromJson(line).object();
        Entry entry;
        entry.time = static_cast<qint64>(object.value("t").toDouble());
        entry.start = object.value("start").toInt();
        entry.kind = object.value("kind").toString();
        entry.port = object.value("port").toInt();
        entry.text = object.value(entry.kind == "http" ? "line" : "data").toString();
        record.m_entries.append(entry);
    }
    return record;
}

QList<RequestRecord::Entry> RequestRecord::entries() const { return m_entries; }

QList<RequestRecord::Entry> RequestRecord::rpcRequests() const
{
    QList<Entry> requests;
    for (const Entry &entry : m_entries) {
        if (entry.kind == "rpc")
            requests.append(entry);
    }
    return requests;
}

int RequestRecord::indexOfMethod(const QString &method, int from) const
{
    const QString needle = QStringLiteral("\"method\":\"%1\"").arg(method);
    for (int i = from; i < m_entries.count(); ++i) {
        if (m_entries.at(i).kind == "rpc" && m_entries.at(i).text.contains(needle))
            return i;
    }
    return -1;
}
