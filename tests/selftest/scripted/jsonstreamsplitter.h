#ifndef SCRIPTEDKORVUD_JSONSTREAMSPLITTER_H
#define SCRIPTEDKORVUD_JSONSTREAMSPLITTER_H

#include <QByteArray>
#include <QList>

// Cuts a byte stream of back-to-back JSON objects into one message per object.
// Bytes may arrive split anywhere; white space between objects is allowed. It
// is kept in front of the object that follows it, or handed out on its own by
// takeWhiteSpace(), so that every byte received can be recorded exactly.
class JsonStreamSplitter
{
public:
    static constexpr int maximumMessageSize = 1024 * 1024;

    struct Message
    {
        QByteArray raw; // everything consumed for this message
        QByteArray object; // the object alone, without the white space in front
    };

    void append(const QByteArray &data);
    QList<Message> takeMessages();

    // Set when the stream cannot be resynchronised: bytes outside an object that
    // are not white space, or a message over the size limit.
    bool hasError() const;
    QString errorString() const;

    QByteArray pendingBytes() const;
    // The pending bytes when they are white space only (and then drops them).
    QByteArray takeWhiteSpace();

private:
    void scan();

    QByteArray m_buffer;
    int m_position = 0;
    int m_objectStart = -1;
    int m_depth = 0;
    bool m_inString = false;
    bool m_escaped = false;
    QList<Message> m_messages;
    QString m_error;
};

#endif // SCRIPTEDKORVUD_JSONSTREAMSPLITTER_H
