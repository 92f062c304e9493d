#include "zpak/codec/SimpleEncoder.h"

#include "zpak/codec/CodecBuffer.h"

#include <cstring>

namespace ZP
{

void CSimpleEncoder::XorSpan(unsigned char* data) const
{
    for (unsigned i = 0; i < kSpan; ++i)
        data[i] ^= KeyByte(i);
}

bool CSimpleEncoder::Encrypt(char** output, uint32_t* outputLength, const void* input, uint32_t inputLength,
                             uint32_t prefix)
{
    if (!IsEmptyOutputSlot(output) || outputLength == nullptr ||
        !IsValidCodecInput(input, inputLength, prefix))
        return false;
    if (inputLength - prefix < kSpan) return false;
    CCodecBuffer buffer(inputLength);
    if (!buffer) return false;
    std::memcpy(buffer.Get(), input, inputLength);
    XorSpan(buffer.Bytes() + prefix);
    *outputLength = inputLength;
    *output = buffer.Release();
    return true;
}

bool CSimpleEncoder::Decrypt(char** output, uint32_t expectedLength, const void* input, uint32_t inputLength,
                             uint32_t prefix)
{
    if (!IsEmptyOutputSlot(output) || !IsValidCodecInput(input, inputLength, prefix) ||
        prefix > expectedLength)
        return false;
    if (expectedLength - prefix < kSpan || inputLength < expectedLength) return false;
    const unsigned char* span = static_cast<const unsigned char*>(input) + prefix;
    bool allZero = true;
    for (unsigned i = 0; i < kSpan && allZero; ++i)
        allZero = span[i] == 0;
    if (allZero) return false;
    CCodecBuffer buffer(expectedLength);
    if (!buffer) return false;
    std::memcpy(buffer.Get(), input, expectedLength);
    XorSpan(buffer.Bytes() + prefix);
    *output = buffer.Release();
    return true;
}

} // namespace ZP
