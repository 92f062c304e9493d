#pragma once
// Compression method 2: LZMA through the LZMA SDK's one-shot coder. Output after the prefix: the five
// property bytes (0x5D for lc 3, lp 0, pb 2, then the dictionary size, little-endian) and the raw
// stream, without end marker or size field (the size lives in the file record).
//
// Decoding is refused before anything is allocated for fewer than five property bytes, a property
// byte that is no lc/lp/pb triple, a dictionary larger than the encoder uses (16 MiB), and an
// expected length no stream of that size can reach. The stream must also end where the output ends:
// one that holds more data than expected fails.
#include "zpak/codec/ZipStreamCodec.h"

namespace ZP
{

class CLzma : public CZipStreamCodec
{
public:
    CLzma();
};

} // namespace ZP
