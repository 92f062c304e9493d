#include "zpak/codec/Zlib.h"

#include "zpak/codec/CodecBuffer.h"

#include <algorithm>
#include <limits>
#include <zlib.h>

namespace ZP
{

bool CZlib::Compress(char** output, uint32_t* outputLength, const void* input, uint32_t inputLength,
                     uint32_t prefix)
{
    if (!IsEmptyOutputSlot(output) || outputLength == nullptr ||
        !IsValidCodecInput(input, inputLength, prefix))
        return false;
    const uint64_t n = inputLength - prefix;
    // The pak format's historical capacity, raised to zlib's own bound where that is larger (only by
    // a few bytes), so incompressible data never fails for want of room.
    uint64_t capacity =
        std::max<uint64_t>(n + n / 4096 + n / 16384 + 11, compressBound(static_cast<uLong>(n)));
    capacity = std::min<uint64_t>(capacity, std::numeric_limits<uint32_t>::max() - prefix);

    CCodecBuffer buffer(prefix + capacity);
    if (!buffer) return false;
    CopyPrefix(buffer, input, prefix);
    uLongf streamLength = static_cast<uLongf>(capacity);
    const Bytef* source = static_cast<const Bytef*>(input) + prefix;
    if (compress2(buffer.Bytes() + prefix, &streamLength, source, static_cast<uLong>(n), kLevel) != Z_OK)
        return false;
    *outputLength = static_cast<uint32_t>(prefix + streamLength);
    *output = buffer.Release();
    return true;
}

bool CZlib::Decompress(char** output, uint32_t expectedLength, const void* input, uint32_t inputLength,
                       uint32_t prefix)
{
    if (!IsEmptyOutputSlot(output) || !IsValidCodecInput(input, inputLength, prefix) ||
        prefix > expectedLength)
        return false;
    const uint64_t streamLength = inputLength - prefix;
    const uint64_t wanted = expectedLength - prefix;
    if (wanted > MaxInflatedLength(streamLength)) return false;

    CCodecBuffer buffer(expectedLength);
    if (!buffer) return false;
    CopyPrefix(buffer, input, prefix);
    uLongf produced = static_cast<uLongf>(wanted);
    const Bytef* source = static_cast<const Bytef*>(input) + prefix;
    // Z_BUF_ERROR here means the stream goes on past the expected length; a truncated stream is
    // Z_DATA_ERROR; a complete stream that ends early leaves produced short.
    if (uncompress(buffer.Bytes() + prefix, &produced, source, static_cast<uLong>(streamLength)) != Z_OK ||
        produced != wanted)
        return false;
    *output = buffer.Release();
    return true;
}

} // namespace ZP
