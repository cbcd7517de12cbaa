#ifndef KORVUD_FUZZ_FUZZINPUT_H
#define KORVUD_FUZZ_FUZZINPUT_H

#include <QByteArray>
#include <QList>

#include <cstddef>
#include <cstdint>

// One fuzz input, decoded. The stream comes first; the trailing bytes, read
// from the end, choose the message size limit and where the stream is cut
// into the pieces that reach the reader one by one. A plain request file with
// two zero bytes appended is therefore the request itself under the daemon's
// own limit, in one piece (see corpus/).
struct FuzzInput
{
    static FuzzInput decode(const uint8_t *data, size_t size);

    int maxMessageSize = 0;
    QList<int> pieceSizes;
    QByteArray stream;
};

#endif // KORVUD_FUZZ_FUZZINPUT_H
