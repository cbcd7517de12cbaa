#include "referenceframer.h"

ReferenceFramer::ReferenceFramer(const QByteArray &stream, int maxMessageSize)
    : m_stream(stream)
    , m_maxMessageSize(maxMessageSize)
{
    int position = 0;
    while (true) {
        while (position < m_stream.size() && QByteArray(" \t\r\n").contains(m_stream.at(position)))
            ++position;
        if (position == m_stream.size())
            return;
        if (m_stream.at(position) != '{') {
            m_ending = Ending::Broken;
            return;
        }
        const int end = findObjectEnd(position);
        if (end < 0)
            return;
        m_objectTexts.append(m_stream.mid(position, end - position + 1));
        position = end + 1;
    }
}

QList<QByteArray> ReferenceFramer::objectTexts() const { return m_objectTexts; }
ReferenceFramer::Ending ReferenceFramer::ending() const { return m_ending; }

int ReferenceFramer::findObjectEnd(int start)
{
    int depth = 0;
    bool inString = false;
    bool escaped = false;
    for (int i = start; i < m_stream.size(); ++i) {
        if (i - start + 1 > m_maxMessageSize) {
            m_ending = Ending::Broken;
            return -1;
        }
        const char byte = m_stream.at(i);
        if (inString) {
            if (static_cast<unsigned char>(byte) < 0x20) {
                m_ending = Ending::Broken;
                return -1;
            }
            if (escaped)
                escaped = false;
            else if (byte == '\\')
                escaped = true;
            else if (byte == '"')
                inString = false;
            continue;
        }
        if (byte == '"')
            inString = true;
        else if (byte == '{' || byte == '[')
            ++depth;
        else if ((byte == '}' || byte == ']') && --depth == 0)
            return i;
    }
    m_ending = Ending::Unfinished;
    return -1;
}
