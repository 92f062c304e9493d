#pragma once
// The AES-256 block helpers behind encryption method 2 (FIPS-197: 14 rounds, 16-byte blocks).
#include <cstdint>

namespace ZP
{

class IAesFunction
{
public:
    virtual ~IAesFunction() = default;
    // Prepares the round keys of both directions from a 32-byte key.
    virtual void ExpandKey(const unsigned char key[32]) = 0;
    virtual void EncryptBlock(unsigned char block[16]) const = 0;
    virtual void DecryptBlock(unsigned char block[16]) const = 0;
};

} // namespace ZP
