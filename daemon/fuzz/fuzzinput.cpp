#include "fuzzinput.h"

#include "jsonstreamreader.h"

#include <fuzzer/FuzzedDataProvider.h>

namespace {

const int MaxPieces = 16;
// Small limits make the size check reachable with short inputs.
const int SmallLimitStep = 8;

} // namespace

FuzzInput FuzzInput::decode(const uint8_t *data, size_t size)
{
    FuzzedDataProvider provider(data, size);
    FuzzInput input;

    const uint8_t limitChoice = provider.ConsumeIntegral<uint8_t>();
    input.maxMessageSize = limitChoice < 128 ? JsonStreamReader::DefaultMaxMessageSize
                                             : 1 + (limitChoice - 128) * SmallLimitStep;

    const int pieceCount = provider.ConsumeIntegral<uint8_t>() % (MaxPieces + 1);
    for (int i = 0; i < pieceCount; ++i)
        input.pieceSizes.append(provider.ConsumeIntegral<uint8_t>());

    const std::vector<uint8_t> rest = provider.ConsumeRemainingBytes<uint8_t>();
    input.stream = QByteArray(reinterpret_cast<const char *>(rest.data()), int(rest.size()));
    return input;
}
