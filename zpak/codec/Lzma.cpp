#include "zpak/codec/Lzma.h"

#include "zpak/codec/CodecBuffer.h"

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <lzma/LzmaDec.h>
#include <lzma/LzmaEnc.h>

namespace ZP
{
namespace
{
void* SdkAlloc(void*, size_t size)
{
    return size ? std::malloc(size) : nullptr;
}
void SdkFree(void*, void* address)
{
    std::free(address);
}
ISzAlloc g_sdkAlloc = {SdkAlloc, SdkFree};

// lc, lp and pb packed as (pb * 5 + lp) * 9 + lc: anything from 225 up names no valid triple.
constexpr unsigned kPropertyByteLimit = 9 * 5 * 5;
} // namespace

bool CLzma::Compress(char** output, uint32_t* outputLength, const void* input, uint32_t inputLength,
                     uint32_t prefix)
{
    if (!IsEmptyOutputSlot(output) || outputLength == nullptr ||
        !IsValidCodecInput(input, inputLength, prefix))
        return false;
    const uint64_t n = inputLength - prefix;
    // Output lengths are 32-bit: the capacity stops where they would overflow.
    const uint64_t room = std::numeric_limits<uint32_t>::max() - static_cast<uint64_t>(prefix);
    if (room < kPropertySize) return false;
    const uint64_t capacity = std::min<uint64_t>(n * 10 / 9 + 65536, room - kPropertySize);

    CLzmaEncProps props;
    LzmaEncProps_Init(&props);
    props.level = kLevel;
    props.dictSize = kDictionarySize;
    props.lc = 3;
    props.lp = 0;
    props.pb = 2;
    props.fb = 32;
    props.writeEndMark = 0;
    props.numThreads = 1;

    CCodecBuffer buffer(prefix + kPropertySize + capacity);
    if (!buffer) return false;
    CopyPrefix(buffer, input, prefix);
    SizeT streamLength = static_cast<SizeT>(capacity);
    SizeT propertyLength = kPropertySize;
    const Byte* source = static_cast<const Byte*>(input) + prefix;
    Byte* properties = buffer.Bytes() + prefix;
    SRes res = LzmaEncode(properties + kPropertySize, &streamLength, source, static_cast<SizeT>(n), &props,
                          properties, &propertyLength, 0, nullptr, &g_sdkAlloc, &g_sdkAlloc);
    if (res != SZ_OK || propertyLength != kPropertySize) return false;
    *outputLength = static_cast<uint32_t>(prefix + kPropertySize + streamLength);
    *output = buffer.Release();
    return true;
}

bool CLzma::Decompress(char** output, uint32_t expectedLength, const void* input, uint32_t inputLength,
                       uint32_t prefix)
{
    if (!IsEmptyOutputSlot(output) || !IsValidCodecInput(input, inputLength, prefix) ||
        prefix > expectedLength)
        return false;
    if (inputLength - prefix < kPropertySize) return false;
    const Byte* properties = static_cast<const Byte*>(input) + prefix;
    if (properties[0] >= kPropertyByteLimit || ReadU32(properties + 1) > kDictionarySize) return false;
    const uint64_t streamLength = inputLength - prefix - kPropertySize;
    const uint64_t wanted = expectedLength - prefix;
    if (wanted > MaxDecodedLength(streamLength)) return false;

    CCodecBuffer buffer(expectedLength);
    if (!buffer) return false;
    CopyPrefix(buffer, input, prefix);
    SizeT produced = static_cast<SizeT>(wanted);
    SizeT consumed = static_cast<SizeT>(streamLength);
    ELzmaStatus status = LZMA_STATUS_NOT_SPECIFIED;
    // The output buffer is the decoder's whole window, so the dictionary size costs no memory here.
    SRes res = LzmaDecode(buffer.Bytes() + prefix, &produced, properties + kPropertySize, &consumed,
                          properties, kPropertySize, LZMA_FINISH_ANY, &status, &g_sdkAlloc);
    if (res != SZ_OK || produced != wanted) return false;
    // Without an end marker the encoder's final flush leaves the range decoder's code at zero exactly
    // where the data ends; anything else means the stream goes on past the expected length.
    if (status != LZMA_STATUS_MAYBE_FINISHED_WITHOUT_MARK) return false;
    *output = buffer.Release();
    return true;
}

} // namespace ZP
