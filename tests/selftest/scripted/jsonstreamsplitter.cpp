#include "jsonstreamsplitter.h"

namespace {

bool isJsonWhiteSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

} // namespace

void JsonStreamSplitter::append(const QByteArray &data)
{
    if (hasError())
        return;
    m_buffer.append(data);
    scan();
}

QList<JsonStreamSplitter::Message> JsonStreamSplitter::takeMessages()
{
    QList<Message> messages;
    messages.swap(m_messages);
    return messages;
}

bool JsonStreamSplitter::hasError() const { return !m_error.isEmpty(); }

QString JsonStreamSplitter::errorString() const { return m_error; }

QByteArray JsonStreamSplitter::pendingBytes() const { return m_buffer; }

QByteArray JsonStreamSplitter::takeWhiteSpace()
{
    if (m_objectStart >= 0 || hasError())
        return QByteArray();
    QByteArray whiteSpace;
    whiteSpace.swap(m_buffer);
    m_position = 0;
    return whiteSpace;
}

void JsonStreamSplitter::scan()
{
    for (; m_position < m_buffer.size(); ++m_position) {
        const char c = m_buffer.at(m_position);
        if (m_objectStart < 0) {
            if (isJsonWhiteSpace(c))
                continue;
            if (c != '{') {
                m_error = QStringLiteral("the stream holds bytes that are not a JSON object");
                return;
            }
            m_objectStart = m_position;
            m_depth = 0;
        }
        if (m_inString) {
            if (m_escaped)
                m_escaped = false;
            else if (c == '\\')
                m_escaped = true;
            else if (c == '"')
                m_inString = false;
            continue;
        }
        if (c == '"') {
            m_inString = true;
        } else if (c == '{' || c == '[') {
            ++m_depth;
        } else if ((c == '}' || c == ']') && --m_depth == 0) {
            const int end = m_position + 1;
            m_messages.append({m_buffer.left(end), m_buffer.mid(m_objectStart, end - m_objectStart)});
            m_buffer.remove(0, end);
            m_position = -1;
            m_objectStart = -1;
        }
    }
    if (m_buffer.size() > maximumMessageSize)
        m_error = QStringLiteral("a message is larger than %1 bytes").arg(maximumMessageSize);
}
