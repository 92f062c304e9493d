#pragma once
// What every compression method shares: the argument checks, the output buffer with the prefix
// copied in front, the 32-bit output length, and refusing an expected length the stream cannot
// reach before anything is allocated. A method brings a table of its own operations on the bytes
// after the prefix.
#include "zpak/codec/ZipBase.h"

#include <cstdint>

namespace ZP
{

struct sZipStreamOps
{
    // Room the coded form of n bytes may take; capped where output lengths would overflow.
    uint64_t (*encodedRoom)(uint64_t n);
    // Codes n bytes into room bytes at out; written receives the coded length.
    bool (*encode)(const unsigned char* in, uint64_t n, unsigned char* out, uint64_t room, uint64_t& written);
    // Whether a stream of length bytes may decode to wanted bytes (asked before allocating).
    bool (*mayDecodeTo)(const unsigned char* stream, uint64_t length, uint64_t wanted);
    // Decodes into exactly wanted bytes at out; a stream that ends short of them or goes on past
    // them fails.
    bool (*decode)(const unsigned char* stream, uint64_t length, unsigned char* out, uint64_t wanted);
};

class CZipStreamCodec : public IZipBase
{
public:
    // ops must outlive the codec (a method's table is a constant).
    explicit CZipStreamCodec(const sZipStreamOps& ops) : m_ops(ops) {}

    bool Compress(char** output, uint32_t* outputLength, const void* input, uint32_t inputLength,
                  uint32_t prefix) final;
    bool Decompress(char** output, uint32_t expectedLength, const void* input, uint32_t inputLength,
                    uint32_t prefix) final;

private:
    const sZipStreamOps& m_ops;
};

} // namespace ZP
