#ifndef KORVUD_JSONSTREAMREADER_H
#define KORVUD_JSONSTREAMREADER_H

#include <QByteArray>
#include <QJsonObject>
#include <QQueue>
#include <QSet>
#include <QString>
#include <QVector>

// Cuts a byte stream of back-to-back JSON objects into messages. Objects may
// be split anywhere across feeds and separated by white space. Once an error
// is found (bytes that are not JSON, among them a control character left
// unescaped inside a string, a top-level value that is not an object, a
// message over the size limit, an object that repeats a key) the reader
// stops: the stream cannot be resynchronised. Messages completed before the
// error stay available.
//
// Repeated keys are refused before the message reaches Qt's parser, which
// leaks the earlier value of a repeated key when that value is an object or
// an array. Keys are compared as decoded text, so "a" and "\u0061" are the
// same. Like other bad JSON inside an object, a repeat is reported once the
// object is complete.
class JsonStreamReader
{
public:
    static constexpr int DefaultMaxMessageSize = 1024 * 1024;
    // Qt's parser refuses anything nested deeper, so keys are not tracked beyond it.
    static constexpr int MaxTrackedDepth = 1024;

    explicit JsonStreamReader(int maxMessageSize = DefaultMaxMessageSize);

    void feed(const QByteArray &bytes);

    bool hasMessage() const;
    QJsonObject takeMessage();
    // Where the message takeMessage() returned last ends, in bytes from the
    // start of the stream; 0 before any. With it, a caller that keeps what it
    // feeds can cut out the exact text of each message and the white space
    // before it.
    qint64 takenMessageEnd() const;

    bool hasError() const;
    QString errorString() const;

private:
    struct Message
    {
        QJsonObject object;
        qint64 end = 0;
    };

    struct Container
    {
        bool isObject = false;
        bool expectingKey = false;
        QSet<QString> keys;
    };

    void scan();
    bool scanBetweenMessages(char byte);
    void scanInsideMessage(char byte);
    void scanInsideString(char byte);
    void openContainer(bool isObject);
    void closeContainer();
    Container *currentContainer();
    void beginString();
    void endKey();
    void completeMessage();
    void resetMessage();
    void fail(const QString &why);

    int m_maxMessageSize;
    QByteArray m_buffer;
    // The bytes of the stream that were dropped from the front of m_buffer.
    qint64 m_dropped = 0;
    qint64 m_takenMessageEnd = 0;
    int m_position = 0;
    int m_messageStart = -1;
    int m_depth = 0;
    bool m_inString = false;
    bool m_escaped = false;
    // The open containers of the current message, outermost first, up to MaxTrackedDepth.
    QVector<Container> m_containers;
    // Offset from the message start of the first byte of the key being read; -1 outside keys.
    int m_keyStart = -1;
    bool m_keyRepeated = false;
    QString m_repeatedKey;
    QQueue<Message> m_messages;
    QString m_error;
};

#endif // KORVUD_JSONSTREAMREADER_H
