#include "repeatedkeyfinder.h"

#include "jsonstreamreader.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QSet>
#include <QString>

namespace {

// A lone string cannot repeat a key, so Qt may parse it.
QString decodedByQt(const QByteArray &quotedString)
{
    if (!quotedString.startsWith('"'))
        return QString::fromLatin1(quotedString.toHex());
    return QJsonDocument::fromJson("[" + quotedString + "]").array().at(0).toString();
}

} // namespace

bool RepeatedKeyFinder::hasRepeatedKey(const QByteArray &json)
{
    RepeatedKeyFinder finder(json);
    return finder.valueRepeatsKey() && !finder.m_tooDeep;
}

RepeatedKeyFinder::RepeatedKeyFinder(const QByteArray &text)
    : m_text(text)
{
}

bool RepeatedKeyFinder::valueRepeatsKey()
{
    skipWhiteSpace();
    switch (current()) {
    case '{':
        return containerRepeatsKey('}');
    case '[':
        return containerRepeatsKey(']');
    case '"':
        takeString();
        return false;
    default:
        skipScalar();
        return false;
    }
}

// Objects and arrays alike: the members up to the closing bracket, each an
// object's key and value or an array's value.
bool RepeatedKeyFinder::containerRepeatsKey(char closingBracket)
{
    if (!enterContainer())
        return true;
    QSet<QString> keys;
    skipWhiteSpace();
    while (!atEnd() && current() != closingBracket) {
        if (current() == ',') {
            ++m_position;
            skipWhiteSpace();
        }
        if (closingBracket == '}' && keyRepeats(&keys))
            return true;
        if (valueRepeatsKey())
            return true;
        skipWhiteSpace();
    }
    ++m_position;
    --m_depth;
    return false;
}

// Takes an object's key and the colon after it.
bool RepeatedKeyFinder::keyRepeats(QSet<QString> *keys)
{
    const QString key = decodedByQt(takeString());
    if (keys->contains(key))
        return true;
    keys->insert(key);
    skipWhiteSpace();
    ++m_position; // ':'
    return false;
}

// Past the depth Qt accepts, the walk stops: Qt refuses the text anyway.
bool RepeatedKeyFinder::enterContainer()
{
    ++m_position;
    m_tooDeep = ++m_depth > JsonStreamReader::MaxTrackedDepth;
    return !m_tooDeep;
}

QByteArray RepeatedKeyFinder::takeString()
{
    const int start = m_position;
    ++m_position; // opening quote
    while (!atEnd() && current() != '"') {
        if (current() == '\\')
            ++m_position;
        ++m_position;
    }
    ++m_position;
    return m_text.mid(start, m_position - start);
}

// Always moves on, so that a broken text cannot hold the walk in place.
void RepeatedKeyFinder::skipScalar()
{
    const int start = m_position;
    while (!atEnd() && !QByteArray(",:{}[] \t\r\n").contains(current()))
        ++m_position;
    if (m_position == start)
        ++m_position;
}

void RepeatedKeyFinder::skipWhiteSpace()
{
    while (!atEnd() && QByteArray(" \t\r\n").contains(current()))
        ++m_position;
}

bool RepeatedKeyFinder::atEnd() const { return m_position >= m_text.size(); }

char RepeatedKeyFinder::current() const { return atEnd() ? '\0' : m_text.at(m_position); }
