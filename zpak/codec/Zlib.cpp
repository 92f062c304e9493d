#include "zpak/codec/Zlib.h"

#include <algorithm>
#include <zlib.h>

namespace ZP
{
namespace
{
constexpr int kLevel = 9;

// Deflate emits at most 258 bytes per 2 bits of a block (a one-bit length code and a one-bit distance
// code), about 1032:1; the constant covers the stream's header, trailer and block headers.
uint64_t MaxInflatedLength(uint64_t streamLength)
{
    return streamLength * 1032 + 1024;
}

// The pak format's historical room, raised to zlib's own bound where that is larger (only by a few
// bytes), so incompressible data never fails for want of room.
uint64_t EncodedRoom(uint64_t n)
{
    return std::max<uint64_t>(n + n / 4096 + n / 16384 + 11, compressBound(static_cast<uLong>(n)));
}

bool EncodeStream(const unsigned char* in, uint64_t n, unsigned char* out, uint64_t room, uint64_t& written)
{
    uLongf streamLength = static_cast<uLongf>(room);
    if (compress2(out, &streamLength, in, static_cast<uLong>(n), kLevel) != Z_OK) return false;
    written = streamLength;
    return true;
}

bool MayDecodeTo(const unsigned char*, uint64_t length, uint64_t wanted)
{
    return wanted <= MaxInflatedLength(length);
}

bool DecodeStream(const unsigned char* stream, uint64_t length, unsigned char* out, uint64_t wanted)
{
    uLongf produced = static_cast<uLongf>(wanted);
    // Z_BUF_ERROR here means the stream goes on past the expected length; a truncated stream is
    // Z_DATA_ERROR; a complete stream that ends early leaves produced short.
    return uncompress(out, &produced, stream, static_cast<uLong>(length)) == Z_OK && produced == wanted;
}

constexpr sZipStreamOps kZlibOps = {EncodedRoom, EncodeStream, MayDecodeTo, DecodeStream};
} // namespace

CZlib::CZlib() : CZipStreamCodec(kZlibOps) {}

} // namespace ZP
