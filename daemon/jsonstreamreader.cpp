#include "jsonstreamreader.h"

#include <QJsonDocument>
#include <QJsonParseError>

namespace {

bool isJsonWhiteSpace(char byte)
{
    return byte == ' ' || byte == '\t' || byte == '\n' || byte == '\r';
}

} // namespace

JsonStreamReader::JsonStreamReader(int maxMessageSize)
    : m_maxMessageSize(maxMessageSize)
{
}

void JsonStreamReader::feed(const QByteArray &bytes)
{
    if (hasError())
        return;
    m_buffer.append(bytes);
    scan();
}

bool JsonStreamReader::hasMessage() const { return !m_messages.isEmpty(); }

QJsonObject JsonStreamReader::takeMessage()
{
    return m_messages.isEmpty() ? QJsonObject() : m_messages.dequeue();
}

bool JsonStreamReader::hasError() const { return !m_error.isEmpty(); }
QString JsonStreamReader::errorString() const { return m_error; }

void JsonStreamReader::scan()
{
    while (m_position < m_buffer.size() && !hasError()) {
        const char byte = m_buffer.at(m_position);
        if (m_messageStart < 0) {
            if (!scanBetweenMessages(byte))
                return;
        } else if (m_position - m_messageStart >= m_maxMessageSize) {
            fail(QStringLiteral("Message exceeds the limit of %1 bytes").arg(m_maxMessageSize));
            return;
        } else {
            scanInsideMessage(byte);
        }
        ++m_position;
    }
    if (hasError())
        return;

    // Keep only the unfinished message, so that the buffer never grows beyond one message.
    const int consumed = m_messageStart < 0 ? m_position : m_messageStart;
    m_buffer.remove(0, consumed);
    m_position -= consumed;
    if (m_messageStart >= 0)
        m_messageStart = 0;
}

bool JsonStreamReader::scanBetweenMessages(char byte)
{
    if (isJsonWhiteSpace(byte))
        return true;
    if (byte != '{') {
        fail(byte == '['
                 ? QStringLiteral("A request must be a JSON object, not an array")
                 : QStringLiteral("Invalid JSON: a request must be a JSON object"));
        return false;
    }
    m_messageStart = m_position;
    m_depth = 1;
    return true;
}

void JsonStreamReader::scanInsideMessage(char byte)
{
    if (m_inString) {
        if (m_escaped)
            m_escaped = false;
        else if (byte == '\\')
            m_escaped = true;
        else if (byte == '"')
            m_inString = false;
        return;
    }

    switch (byte) {
    case '"':
        m_inString = true;
        break;
    case '{':
    case '[':
        ++m_depth;
        break;
    case '}':
    case ']':
        if (--m_depth == 0)
            completeMessage();
        break;
    default:
        break;
    }
}

void JsonStreamReader::completeMessage()
{
    const QByteArray text = m_buffer.mid(m_messageStart, m_position - m_messageStart + 1);
    m_messageStart = -1;

    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(text, &parseError);
    if (parseError.error != QJsonParseError::NoError || !document.isObject()) {
        fail(QStringLiteral("Invalid JSON: %1 at offset %2").arg(parseError.errorString()).arg(parseError.offset));
        return;
    }
    m_messages.enqueue(document.object());
}

void JsonStreamReader::fail(const QString &why)
{
    m_error = why;
    m_buffer.clear();
    m_position = 0;
    m_messageStart = -1;
}
