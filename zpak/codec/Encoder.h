#pragma once
// One encryption method of the encryption registry. Every encoder starts with an all-zero key.
#include <cstdint>

namespace ZP
{

class IEncoder
{
public:
    virtual ~IEncoder() = default;
    virtual void ClearKey() = 0;
    // The key from the leading bytes of a narrow text (how many depends on the method); false for null.
    virtual bool SetKeyString(const char* text) = 0;
    // The key from raw bytes, zero-padded; false (key unchanged) for a length the method cannot take.
    virtual bool SetKey(const void* key, uint32_t length) = 0;
    // *output must be null on entry. On success it receives an AllocBuffer block (free it with
    // FreeBuffer) of *outputLength bytes: the prefix bytes unchanged, then the encrypted rest. False
    // leaves *output null.
    virtual bool Encrypt(char** output, uint32_t* outputLength, const void* input, uint32_t inputLength,
                         uint32_t prefix) = 0;
    // Produces expectedLength bytes (prefix included) or fails.
    virtual bool Decrypt(char** output, uint32_t expectedLength, const void* input, uint32_t inputLength,
                         uint32_t prefix) = 0;
};

} // namespace ZP
