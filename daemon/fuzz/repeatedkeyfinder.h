#ifndef KORVUD_FUZZ_REPEATEDKEYFINDER_H
#define KORVUD_FUZZ_REPEATEDKEYFINDER_H

#include <QByteArray>
#include <QSet>
#include <QString>

// Tells whether a JSON text has an object with a key twice, at any depth,
// without handing the whole text to Qt's parser (which leaks on exactly
// that). Independent of JsonStreamReader: it walks the text recursively and
// lets Qt decode each key on its own, so the fuzz target can hold the
// reader's refusals against it. The answer is exact for texts Qt accepts;
// for others it only has to stop: Qt refuses them anyway.
class RepeatedKeyFinder
{
public:
    static bool hasRepeatedKey(const QByteArray &json);

private:
    explicit RepeatedKeyFinder(const QByteArray &text);

    bool valueRepeatsKey();
    bool containerRepeatsKey(char closingBracket);
    bool keyRepeats(QSet<QString> *keys);
    bool enterContainer();
    QByteArray takeString();
    void skipScalar();
    void skipWhiteSpace();
    bool atEnd() const;
    char current() const;

    const QByteArray &m_text;
    int m_position = 0;
    int m_depth = 0;
    bool m_tooDeep = false;
};

#endif // KORVUD_FUZZ_REPEATEDKEYFINDER_H
