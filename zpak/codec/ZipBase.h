#pragma once
// One compression method of the compression registry.
#include <cstdint>

namespace ZP
{

class IZipBase
{
public:
    virtual ~IZipBase() = default;
    // *output must be null on entry. On success it receives an AllocBuffer block (free it with
    // FreeBuffer) of *outputLength bytes: the prefix bytes of the input unchanged, then the
    // compressed rest. False leaves *output null.
    virtual bool Compress(char** output, uint32_t* outputLength, const void* input, uint32_t inputLength,
                          uint32_t prefix) = 0;
    // Produces exactly expectedLength bytes (prefix included) or fails.
    virtual bool Decompress(char** output, uint32_t expectedLength, const void* input, uint32_t inputLength,
                            uint32_t prefix) = 0;
};

} // namespace ZP
