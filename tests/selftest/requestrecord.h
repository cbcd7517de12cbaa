#ifndef SELFTEST_REQUESTRECORD_H
#define SELFTEST_REQUESTRECORD_H

#include <QList>
#include <QString>

// What the scripted daemon received in one run, read back from its request log.
class RequestRecord
{
public:
    struct Entry
    {
        qint64 time = 0; // ms since the epoch
        int start = 0; // which start of the daemon received it
        QString kind; // "rpc", "http" or "trailing"
        int port = 0;
        QString text; // raw request text, or the HTTP request line

        // "rpc <raw>", "http <port> <request line>" or "trailing <raw>".
        QString summary() const;
    };

    static RequestRecord fromFile(const QString &filePath, QString *errorMessage);

    QList<Entry> entries() const;
    QList<Entry> rpcRequests() const;
    // Index of the first rpc request whose text contains the method's name, from position from on.
    int indexOfMethod(const QString &method, int from = 0) const;

private:
    QList<Entry> m_entries;
};

#endif // SELFTEST_REQUESTRECORD_H
