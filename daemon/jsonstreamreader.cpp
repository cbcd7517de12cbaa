#include "jsonstreamreader.h"

#include <QJsonDocument>
#include <QJsonParseError>

namespace {

const int MaxQuotedKeyLength = 100;

bool isJsonWhiteSpace(char byte) { return byte == ' ' || byte == '\t' || byte == '\n' || byte == '\r'; }

int hexDigitValue(char digit)
{
    if (digit >= '0' && digit <= '9')
        return digit - '0';
    if (digit >= 'a' && digit <= 'f')
        return digit - 'a' + 10;
    if (digit >= 'A' && digit <= 'F')
        return digit - 'A' + 10;
    return -1;
}

// The code unit of the four hex digits at position, or -1 when they are not
// four hex digits. A character outside the BMP is written as two such escapes,
// its surrogates, which is also what its UTF-8 form decodes to in a QString.
int unicodeEscapeValue(const QByteArray &raw, int position)
{
    if (position + 4 > raw.size())
        return -1;
    int value = 0;
    for (int i = position; i < position + 4; ++i) {
        const int digit = hexDigitValue(raw.at(i));
        if (digit < 0)
            return -1;
        value = value * 16 + digit;
    }
    return value;
}

QChar escapedCharacter(char escape)
{
    switch (escape) {
    case 'b':
        return QLatin1Char('\b');
    case 'f':
        return QLatin1Char('\f');
    case 'n':
        return QLatin1Char('\n');
    case 'r':
        return QLatin1Char('\r');
    case 't':
        return QLatin1Char('\t');
    default:
        return QLatin1Char(escape); // '"', '\\', '/'; anything else is refused by the parser later
    }
}

// The text of a JSON string, given the bytes between its quotes.
QString decodedJsonString(const QByteArray &raw)
{
    if (!raw.contains('\\'))
        return QString::fromUtf8(raw.constData(), raw.size());

    QString text;
    int runStart = 0;
    int position = 0;
    while (position < raw.size()) {
        if (raw.at(position) != '\\') {
            ++position;
            continue;
        }
        // A backslash never sits inside a multi-byte UTF-8 sequence, so the run decodes whole.
        text += QString::fromUtf8(raw.constData() + runStart, position - runStart);
        const char escape = position + 1 < raw.size() ? raw.at(position + 1) : '\\';
        position += 2;
        const int codeUnit = escape == 'u' ? unicodeEscapeValue(raw, position) : -1;
        if (codeUnit >= 0) {
            text += QChar(ushort(codeUnit));
            position += 4;
        } else {
            text += escapedCharacter(escape);
        }
        runStart = position;
    }
    if (runStart < raw.size())
        text += QString::fromUtf8(raw.constData() + runStart, raw.size() - runStart);
    return text;
}

QString quotedForMessage(const QString &key)
{
    return QLatin1Char('"')
           + (key.size() <= MaxQuotedKeyLength ? key : key.left(MaxQuotedKeyLength) + QStringLiteral("..."))
           + QLatin1Char('"');
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
    if (m_messages.isEmpty())
        return QJsonObject();
    const Message message = m_messages.dequeue();
    m_takenMessageEnd = message.end;
    return message.object;
}

qint64 JsonStreamReader::takenMessageEnd() const { return m_takenMessageEnd; }

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
    m_dropped += consumed;
    if (consumed == m_buffer.size())
        m_buffer.clear(); // frees it, where remove() would keep the capacity of the largest message
    else
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
        fail(byte == '[' ? QStringLiteral("A request must be a JSON object, not an array")
                         : QStringLiteral("Invalid JSON: a request must be a JSON object"));
        return false;
    }
    m_messageStart = m_position;
    openContainer(true);
    return true;
}

void JsonStreamReader::scanInsideMessage(char byte)
{
    if (m_inString) {
        scanInsideString(byte);
        return;
    }

    switch (byte) {
    case '"':
        beginString();
        break;
    case '{':
    case '[':
        openContainer(byte == '{');
        break;
    case ',':
        if (Container *container = currentContainer())
            container->expectingKey = container->isObject;
        break;
    case '}':
    case ']':
        closeContainer();
        if (m_depth == 0)
            completeMessage();
        break;
    default:
        break;
    }
}

void JsonStreamReader::scanInsideString(char byte)
{
    // Qt's parser takes control characters inside strings as they are, but
    // orders object keys holding a raw NUL inconsistently: such a request
    // would not read back as the same object.
    if (static_cast<unsigned char>(byte) < 0x20) {
        fail(QStringLiteral("Invalid JSON: unescaped control character U+%1 in a string")
                 .arg(QString::number(static_cast<unsigned char>(byte), 16)
                          .toUpper()
                          .rightJustified(4, QLatin1Char('0'))));
        return;
    }
    if (m_escaped) {
        m_escaped = false;
    } else if (byte == '\\') {
        m_escaped = true;
    } else if (byte == '"') {
        m_inString = false;
        if (m_keyStart >= 0)
            endKey();
    }
}

void JsonStreamReader::openContainer(bool isObject)
{
    ++m_depth;
    if (m_depth > MaxTrackedDepth)
        return;
    Container container;
    container.isObject = isObject;
    container.expectingKey = isObject;
    m_containers.append(container);
}

void JsonStreamReader::closeContainer()
{
    if (m_depth <= MaxTrackedDepth)
        m_containers.removeLast();
    --m_depth;
}

// The innermost open container, or null when it lies deeper than keys are tracked.
JsonStreamReader::Container *JsonStreamReader::currentContainer()
{
    return m_depth <= MaxTrackedDepth && !m_containers.isEmpty() ? &m_containers.last() : nullptr;
}

void JsonStreamReader::beginString()
{
    m_inString = true;
    Container *container = currentContainer();
    if (!container || !container->expectingKey)
        return;
    container->expectingKey = false;
    m_keyStart = m_position + 1 - m_messageStart;
}

void JsonStreamReader::endKey()
{
    const int start = m_messageStart + m_keyStart;
    m_keyStart = -1;
    if (m_keyRepeated)
        return;
    const QString key = decodedJsonString(m_buffer.mid(start, m_position - start));
    QSet<QString> &keys = m_containers.last().keys;
    if (keys.contains(key)) {
        m_keyRepeated = true;
        m_repeatedKey = key;
        return;
    }
    keys.insert(key);
}

void JsonStreamReader::completeMessage()
{
    const QByteArray text = m_buffer.mid(m_messageStart, m_position - m_messageStart + 1);
    const qint64 end = m_dropped + m_position + 1;
    const bool keyRepeated = m_keyRepeated;
    const QString repeatedKey = m_repeatedKey;
    resetMessage();

    if (keyRepeated) {
        fail(QStringLiteral("Invalid JSON: an object repeats the key %1").arg(quotedForMessage(repeatedKey)));
        return;
    }
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(text, &parseError);
    if (parseError.error != QJsonParseError::NoError || !document.isObject()) {
        fail(QStringLiteral("Invalid JSON: %1 at offset %2").arg(parseError.errorString()).arg(parseError.offset));
        return;
    }
    m_messages.enqueue({document.object(), end});
}

void JsonStreamReader::resetMessage()
{
    m_messageStart = -1;
    m_depth = 0;
    m_containers.clear();
    m_keyStart = -1;
    m_keyRepeated = false;
    m_repeatedKey.clear();
}

void JsonStreamReader::fail(const QString &why)
{
    m_error = why;
    m_buffer.clear();
    m_position = 0;
    resetMessage();
}
