#ifndef SUITELOG_H
#define SUITELOG_H

#include <QList>
#include <QString>

// The QtTest XML log of one run of the suite: its incidents (one verdict per
// test function or data row) and its messages, in log order.
class SuiteLog
{
public:
    struct Entry
    {
        QString function;
        QString dataTag;
        QString type; // "pass", "fail", ... for incidents; "qdebug", "qwarn", ... for messages
        QString file;
        int line = 0;
        QString description;
    };

    static SuiteLog fromFile(const QString &filePath, QString *errorMessage);

    QList<Entry> incidents() const;
    QList<Entry> messages() const;
    QList<Entry> messagesOf(const QString &function) const;

private:
    QList<Entry> m_incidents;
    QList<Entry> m_messages;
};

#endif // SUITELOG_H
