#include "suitelog.h"

#include <QFile>
#include <QXmlStreamReader>

namespace {

// Reads one <Incident> or <Message> element; the reader stands on its start.
SuiteLog::Entry readEntry(QXmlStreamReader *xml, const QString &function)
{
    SuiteLog::Entry entry;
    entry.function = function;
    entry.type = xml->attributes().value("type").toString();
    entry.file = xml->attributes().value("file").toString();
    entry.line = xml->attributes().value("line").toInt();
    const QString element = xml->name().toString();
    while (xml->readNextStartElement()) {
        if (xml->name() == QLatin1String("DataTag"))
            entry.dataTag = xml->readElementText();
        else if (xml->name() == QLatin1String("Description"))
            entry.description = xml->readElementText();
        else
            xml->skipCurrentElement();
    }
    return entry;
}

} // namespace

SuiteLog SuiteLog::fromFile(const QString &filePath, QString *errorMessage)
{
    SuiteLog log;
    QFile file(filePath);
    if (!file.open(QIODevice::ReadOnly)) {
        *errorMessage = QStringLiteral("cannot read %1: %2").arg(filePath, file.errorString());
        return log;
    }
    QXmlStreamReader xml(&file);
    QString function;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == QLatin1String("TestFunction"))
            function = xml.attributes().value("name").toString();
        else if (xml.name() == QLatin1String("Incident"))
            log.m_incidents.append(readEntry(&xml, function));
        else if (xml.name() == QLatin1String("Message"))
            log.m_messages.append(readEntry(&xml, function));
    }
    if (xml.hasError())
        *errorMessage = QStringLiteral("%1: %2 at line %3").arg(filePath, xml.errorString()).arg(xml.lineNumber());
    return log;
}

QList<SuiteLog::Entry> SuiteLog::incidents() const { return m_incidents; }

QList<SuiteLog::Entry> SuiteLog::messages() const { return m_messages; }

QList<SuiteLog::Entry> SuiteLog::messagesOf(const QString &function) const
{
    QList<Entry> selected;
    for (const Entry &message : m_messages) {
        if (message.function == function)
            selected.append(message);
    }
    return selected;
}
