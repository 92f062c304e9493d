#pragma once
// Encryption method 3: the first 16 bytes after the prefix XORed with the 16-byte key, the rest left
// as it is. Works with the zero key (and then changes nothing).
//
// Both directions refuse data shorter than 16 bytes after the prefix: the pak writer never makes such
// records, and refusing the encryption too means no record is ever written that could not be read
// back.
#include "zpak/codec/TeaEncoder.h"

namespace ZP
{

class CSimpleEncoder : public CTeaEncoder
{
public:
    // Output length = input length.
    bool Encrypt(char** output, uint32_t* outputLength, const void* input, uint32_t inputLength,
                 uint32_t prefix) override;
    // Takes the first expectedLength bytes of the input (which must hold them). Data whose 16 bytes to
    // undo are all zero is refused, as paks have always refused it.
    bool Decrypt(char** output, uint32_t expectedLength, const void* input, uint32_t inputLength,
                 uint32_t prefix) override;

    static constexpr uint32_t kSpan = 16;

private:
    void XorSpan(unsigned char* data) const;
};

} // namespace ZP
