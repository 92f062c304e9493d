#pragma once
// Compression method 1: one zlib stream (RFC 1950 wrapper around deflate) at level 9.
#include "zpak/codec/ZipBase.h"

namespace ZP
{

class CZlib : public IZipBase
{
public:
    bool Compress(char** output, uint32_t* outputLength, const void* input, uint32_t inputLength,
                  uint32_t prefix) override;
    // Fails on any zlib error, on a stream that would inflate past the expected length or ends short
    // of it, and, before allocating anything, on an expected length no deflate stream of that size
    // can reach (see MaxInflatedLength).
    bool Decompress(char** output, uint32_t expectedLength, const void* input, uint32_t inputLength,
                    uint32_t prefix) override;

    // Deflate emits at most 258 bytes per 2 bits of a block (a one-bit length code and a one-bit
    // distance code), about 1032:1; the constant covers the stream's header, trailer and block headers.
    static uint64_t MaxInflatedLength(uint64_t streamLength) { return streamLength * 1032 + 1024; }

    static constexpr int kLevel = 9;
};

} // namespace ZP
