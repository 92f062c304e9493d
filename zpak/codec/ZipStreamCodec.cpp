#include "zpak/codec/ZipStreamCodec.h"

#include "zpak/codec/CodecBuffer.h"

#include <algorithm>
#include <limits>

namespace ZP
{

bool CZipStreamCodec::Compress(char** output, uint32_t* outputLength, const void* input, uint32_t inputLength,
                               uint32_t prefix)
{
    if (!IsEmptyOutputSlot(output) || outputLength == nullptr ||
        !IsValidCodecInput(input, inputLength, prefix))
        return false;
    const uint64_t n = inputLength - prefix;
    const uint64_t room = std::min<uint64_t>(m_ops.encodedRoom(n), std::numeric_limits<uint32_t>::max() -
                                                                       static_cast<uint64_t>(prefix));

    CCodecBuffer buffer(prefix + room);
    if (!buffer) return false;
    CopyPrefix(buffer, input, prefix);
    uint64_t written = 0;
    const unsigned char* source = static_cast<const unsigned char*>(input) + prefix;
    if (!m_ops.encode(source, n, buffer.Bytes() + prefix, room, written) || written > room) return false;
    *outputLength = static_cast<uint32_t>(prefix + written);
    *output = buffer.Release();
    return true;
}

bool CZipStreamCodec::Decompress(char** output, uint32_t expectedLength, const void* input,
                                 uint32_t inputLength, uint32_t prefix)
{
    if (!IsEmptyOutputSlot(output) || !IsValidCodecInput(input, inputLength, prefix) ||
        prefix > expectedLength)
        return false;
    const unsigned char* stream = static_cast<const unsigned char*>(input) + prefix;
    const uint64_t length = inputLength - prefix;
    const uint64_t wanted = expectedLength - prefix;
    if (!m_ops.mayDecodeTo(stream, length, wanted)) return false;

    CCodecBuffer buffer(expectedLength);
    if (!buffer) return false;
    CopyPrefix(buffer, input, prefix);
    if (!m_ops.decode(stream, length, buffer.Bytes() + prefix, wanted)) return false;
    *output = buffer.Release();
    return true;
}

} // namespace ZP
