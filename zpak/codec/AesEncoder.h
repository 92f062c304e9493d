#pragma once
// Encryption method 2: AES-256 in ECB mode over exactly one block, the first 16 bytes after the
// prefix; the bytes after it stay as they are and the length never changes. Data shorter than one
// block after the prefix is refused in both directions. The key is required: an all-zero key refuses
// both directions.
#include "zpak/codec/AesFunction.h"
#include "zpak/codec/Encoder.h"

namespace ZP
{

class CAesEncoder : public IEncoder, public IAesFunction
{
public:
    CAesEncoder();

    void ClearKey() override;
    // The first min(length, 16) bytes of the text.
    bool SetKeyString(const char* text) override;
    // 1 to 32 bytes.
    bool SetKey(const void* key, uint32_t length) override;
    bool Encrypt(char** output, uint32_t* outputLength, const void* input, uint32_t inputLength,
                 uint32_t prefix) override;
    // The input length must equal the expected length.
    bool Decrypt(char** output, uint32_t expectedLength, const void* input, uint32_t inputLength,
                 uint32_t prefix) override;

    void ExpandKey(const unsigned char key[32]) override;
    void EncryptBlock(unsigned char block[16]) const override;
    void DecryptBlock(unsigned char block[16]) const override;

    bool HasKey() const;

    static constexpr uint32_t kKeySize = 32;
    static constexpr uint32_t kBlockSize = 16;
    static constexpr unsigned kRounds = 14;

private:
    unsigned char m_key[kKeySize] = {};
    // One 16-byte round key per round plus the initial one; decryption walks them backwards.
    unsigned char m_roundKeys[(kRounds + 1) * kBlockSize] = {};
};

} // namespace ZP
