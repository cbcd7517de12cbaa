#ifndef JSONSTREAMREADER_H
#define JSONSTREAMREADER_H

#include <QByteArray>
#include <QJsonObject>
#include <QQueue>
#include <QString>

// Cuts a byte stream of back-to-back JSON objects into messages. Objects may
// be split anywhere across feeds and separated by white space. Once an error
// is found (bytes that are not JSON, a top-level value that is not an object,
// a message over the size limit) the reader stops: the stream cannot be
// resynchronised. Messages completed before the error stay available.
class JsonStreamReader
{
public:
    static constexpr int DefaultMaxMessageSize = 1024 * 1024;

    explicit JsonStreamReader(int maxMessageSize = DefaultMaxMessageSize);

    void feed(const QByteArray &bytes);

    bool hasMessage() const;
    QJsonObject takeMessage();

    bool hasError() const;
    QString errorString() const;

private:
    void scan();
    bool scanBetweenMessages(char byte);
    void scanInsideMessage(char byte);
    void completeMessage();
    void fail(const QString &why);

    int m_maxMessageSize;
    QByteArray m_buffer;
    int m_position = 0;
    int m_messageStart = -1;
    int m_depth = 0;
    bool m_inString = false;
    bool m_escaped = false;
    QQueue<QJsonObject> m_messages;
    QString m_error;
};

#endif // JSONSTREAMREADER_H
