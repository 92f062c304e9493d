#pragma once
// Compression method 2: LZMA through the LZMA SDK's one-shot coder. Output after the prefix: the five
// property bytes (0x5D for lc 3, lp 0, pb 2, then the dictionary size, little-endian) and the raw
// stream, without end marker or size field (the size lives in the file record).
#include "zpak/codec/ZipBase.h"

namespace ZP
{

class CLzma : public IZipBase
{
public:
    bool Compress(char** output, uint32_t* outputLength, const void* input, uint32_t inputLength,
                  uint32_t prefix) override;
    // Decodes into exactly the expected length. Refused before anything is allocated: fewer than five
    // property bytes, a property byte that is no lc/lp/pb triple, a dictionary larger than
    // kDictionarySize, and an expected length beyond MaxDecodedLength of the stream. The stream must
    // also end where the output ends: one that holds more data than expected fails.
    bool Decompress(char** output, uint32_t expectedLength, const void* input, uint32_t inputLength,
                    uint32_t prefix) override;

    // A range-coded bit whose probability has fully adapted costs at least -log2(2017/2048) = 0.022
    // bits, and the cheapest symbol (a 273-byte repeat of the last match) takes 14 such bits: at most
    // about 7,100 bytes per stream byte, rounded up to 8,192. The constant covers the range coder's
    // start and the early symbols, which cost more.
    static uint64_t MaxDecodedLength(uint64_t streamLength) { return streamLength * 8192 + 65536; }

    static constexpr int kLevel = 5;
    static constexpr uint32_t kDictionarySize = 1u << 24;
    static constexpr uint32_t kPropertySize = 5;
};

} // namespace ZP
