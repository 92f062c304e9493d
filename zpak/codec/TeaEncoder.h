#pragma once
// Encryption method 1: XTEA with 32 cycles in ECB mode over 8-byte blocks whose two halves, like the
// four key words, are read little-endian. The key is required: an all-zero key refuses both
// directions.
#include "zpak/codec/Encoder.h"

namespace ZP
{

class CTeaEncoder : public IEncoder
{
public:
    void ClearKey() override;
    // The first min(length, 15) bytes of the text.
    bool SetKeyString(const char* text) override;
    // 1 to 16 bytes.
    bool SetKey(const void* key, uint32_t length) override;
    // Pads the data after the prefix with zero bytes to a multiple of 8; empty data fails.
    bool Encrypt(char** output, uint32_t* outputLength, const void* input, uint32_t inputLength,
                 uint32_t prefix) override;
    // The data after the prefix must be whole blocks covering the expected length with less than one
    // block to spare (exactly what Encrypt makes of it); anything else fails.
    bool Decrypt(char** output, uint32_t expectedLength, const void* input, uint32_t inputLength,
                 uint32_t prefix) override;

    // One block in place, with the key as it is (the zero-key refusal is Encrypt's and Decrypt's).
    virtual void EncipherBlock(uint32_t block[2]) const;
    virtual void DecipherBlock(uint32_t block[2]) const;

    bool HasKey() const;

    static constexpr uint32_t kKeySize = 16;
    static constexpr uint32_t kBlockSize = 8;

protected:
    static void EncipherCycles(uint32_t block[2], const uint32_t key[4], unsigned cycles);
    static void DecipherCycles(uint32_t block[2], const uint32_t key[4], unsigned cycles);
    // Key byte i of the little-endian key words.
    unsigned char KeyByte(unsigned index) const;

    uint32_t m_key[4] = {};
};

} // namespace ZP
