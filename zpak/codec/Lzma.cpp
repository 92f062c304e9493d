#include "zpak/codec/Lzma.h"

#include "zpak/common/ByteOrder.h"

#include <cstdlib>
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
constexpr int kLevel = 5;
constexpr uint32_t kDictionarySize = 1u << 24;
constexpr uint32_t kPropertySize = 5;

// A range-coded bit whose probability has fully adapted costs at least -log2(2017/2048) = 0.022
// bits, and the cheapest symbol (a 273-byte repeat of the last match) takes 14 such bits: at most
// about 7,100 bytes per stream byte, rounded up to 8,192. The constant covers the range coder's
// start and the early symbols, which cost more.
uint64_t MaxDecodedLength(uint64_t streamLength)
{
    return streamLength * 8192 + 65536;
}

uint64_t EncodedRoom(uint64_t n)
{
    return kPropertySize + n * 10 / 9 + 65536;
}

bool EncodeStream(const unsigned char* in, uint64_t n, unsigned char* out, uint64_t room, uint64_t& written)
{
    // The room is capped where output lengths would overflow: it may not even hold the properties.
    if (room < kPropertySize) return false;
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

    SizeT streamLength = static_cast<SizeT>(room - kPropertySize);
    SizeT propertyLength = kPropertySize;
    SRes res = LzmaEncode(out + kPropertySize, &streamLength, in, static_cast<SizeT>(n), &props, out,
                          &propertyLength, 0, nullptr, &g_sdkAlloc, &g_sdkAlloc);
    if (res != SZ_OK || propertyLength != kPropertySize) return false;
    written = kPropertySize + streamLength;
    return true;
}

bool MayDecodeTo(const unsigned char* stream, uint64_t length, uint64_t wanted)
{
    if (length < kPropertySize) return false;
    if (stream[0] >= kPropertyByteLimit || ReadU32(stream + 1) > kDictionarySize) return false;
    return wanted <= MaxDecodedLength(length - kPropertySize);
}

bool DecodeStream(const unsigned char* stream, uint64_t length, unsigned char* out, uint64_t wanted)
{
    SizeT produced = static_cast<SizeT>(wanted);
    SizeT consumed = static_cast<SizeT>(length - kPropertySize);
    ELzmaStatus status = LZMA_STATUS_NOT_SPECIFIED;
    // The output buffer is the decoder's whole window, so the dictionary size costs no memory here.
    SRes res = LzmaDecode(out, &produced, stream + kPropertySize, &consumed, stream, kPropertySize,
                          LZMA_FINISH_ANY, &status, &g_sdkAlloc);
    if (res != SZ_OK || produced != wanted) return false;
    // Without an end marker the encoder's final flush leaves the range decoder's code at zero exactly
    // where the data ends; anything else means the stream goes on past the expected length.
    return status == LZMA_STATUS_MAYBE_FINISHED_WITHOUT_MARK;
}

constexpr sZipStreamOps kLzmaOps = {EncodedRoom, EncodeStream, MayDecodeTo, DecodeStream};
} // namespace

CLzma::CLzma() : CZipStreamCodec(kLzmaOps) {}

} // namespace ZP
