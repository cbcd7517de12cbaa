#ifndef KORVUD_FUZZ_REFERENCEFRAMER_H
#define KORVUD_FUZZ_REFERENCEFRAMER_H

#include <QByteArray>
#include <QList>

// Cuts a complete byte stream into the texts of its top-level JSON objects,
// in one pass and without any state carried between reads. The fuzz target
// holds JsonStreamReader's verdict on the same bytes, fed in pieces, against it.
class ReferenceFramer
{
public:
    enum class Ending {
        Clean, // only white space after the last object
        Unfinished, // the stream stops inside an object that is still within the limit
        Broken, // a byte that cannot start an object, or an object over the limit
    };

    ReferenceFramer(const QByteArray &stream, int maxMessageSize);

    // The texts of the objects that end before the stream breaks off or goes wrong.
    QList<QByteArray> objectTexts() const;
    Ending ending() const;

private:
    // Returns the offset of the closing brace, or -1 when the stream stops
    // first. Sets m_ending to Broken when the object grows over the limit.
    int findObjectEnd(int start);

    QList<QByteArray> m_objectTexts;
    Ending m_ending = Ending::Clean;
    QByteArray m_stream;
    int m_maxMessageSize;
};

#endif // KORVUD_FUZZ_REFERENCEFRAMER_H
