#ifndef KORVUCHECK_TRAFFICLOG_H
#define KORVUCHECK_TRAFFICLOG_H

#include <QHash>
#include <QJsonObject>
#include <QStringList>
#include <QVector>

// The traffic trace of one suite process (the file KORVU_TRACE_FILE named):
// every exchange with the daemon and the mock devices, by function and row,
// shown compactly under a failure.
class TrafficLog
{
public:
    // A file that is missing or cut short gives what could be read of it; a
    // line that is no JSON object (one cut short) is left out.
    static TrafficLog fromFile(const QString &fileName);

    // Every entry in the order of the file, as the daemon's starts, kills and
    // exits must be read.
    QVector<QJsonObject> entries() const;

    // The trace entries of a function or row ("testDelivery(DPD Prio)"), in order.
    QVector<QJsonObject> exchangesOf(const QString &testName) const;

    // Exchanges under a heading, one line each, times from the first. Long
    // values are cut with their full length shown; repeats of the same
    // exchange are counted on one line; what the clean-up after the row did is
    // only counted.
    static QStringList lines(const QVector<QJsonObject> &exchanges);
    // One exchange, without its time: "PlavoDelivery.Status {} -> success {...}".
    static QString describe(const QJsonObject &entry);
    // A byte field of an entry (request, reply, body), whichever way it was written.
    static QByteArray bytes(const QJsonObject &entry, const char *name);
    // A text field of a trace entry, "" when it has none.
    static QString field(const QJsonObject &entry, const char *name);

private:
    QVector<QJsonObject> m_entries;
    QHash<QString, QVector<QJsonObject>> m_entriesByTest;
};

#endif // KORVUCHECK_TRAFFICLOG_H
