#include "zpak/codec/AesEncoder.h"

#include "zpak/codec/CodecBuffer.h"

#include <cstring>

namespace ZP
{
namespace
{
// Multiplication by x in GF(2^8) modulo x^8 + x^4 + x^3 + x + 1.
unsigned char Times2(unsigned char a)
{
    return static_cast<unsigned char>((a << 1) ^ ((a & 0x80) ? 0x1B : 0x00));
}

unsigned char GfMultiply(unsigned char a, unsigned char b)
{
    unsigned char product = 0;
    while (b != 0)
    {
        if (b & 1) product ^= a;
        a = Times2(a);
        b >>= 1;
    }
    return product;
}

unsigned char RotateLeft(unsigned char v, unsigned n)
{
    return static_cast<unsigned char>((v << n) | (v >> (8 - n)));
}

// The substitution box and its inverse, derived at first use from their definition: the
// multiplicative inverse in GF(2^8) (0 maps to 0) followed by the affine transform with constant 0x63.
struct sAesBoxes
{
    unsigned char forward[256];
    unsigned char inverse[256];

    sAesBoxes()
    {
        for (unsigned x = 0; x < 256; ++x)
        {
            unsigned char reciprocal = 0;
            for (unsigned y = 1; x != 0 && y < 256; ++y)
            {
                if (GfMultiply(static_cast<unsigned char>(x), static_cast<unsigned char>(y)) == 1)
                {
                    reciprocal = static_cast<unsigned char>(y);
                    break;
                }
            }
            unsigned char s = static_cast<unsigned char>(
                reciprocal ^ RotateLeft(reciprocal, 1) ^ RotateLeft(reciprocal, 2) ^
                RotateLeft(reciprocal, 3) ^ RotateLeft(reciprocal, 4) ^ 0x63);
            forward[x] = s;
            inverse[s] = static_cast<unsigned char>(x);
        }
    }
};

const sAesBoxes& Boxes()
{
    static const sAesBoxes boxes;
    return boxes;
}

void AddRoundKey(unsigned char state[16], const unsigned char* roundKey)
{
    for (unsigned i = 0; i < 16; ++i)
        state[i] ^= roundKey[i];
}

void Substitute(unsigned char state[16], const unsigned char box[256])
{
    for (unsigned i = 0; i < 16; ++i)
        state[i] = box[state[i]];
}

// The state is column-major (byte r + 4c is row r of column c); row r turns left by r columns.
void ShiftRows(unsigned char state[16], bool inverse)
{
    unsigned char old[16];
    std::memcpy(old, state, 16);
    for (unsigned r = 1; r < 4; ++r)
        for (unsigned c = 0; c < 4; ++c)
        {
            if (inverse)
                state[r + 4 * ((c + r) % 4)] = old[r + 4 * c];
            else
                state[r + 4 * c] = old[r + 4 * ((c + r) % 4)];
        }
}

void MixColumns(unsigned char state[16], bool inverse)
{
    // Rows of the circulant matrix: {2,3,1,1} forwards, {14,11,13,9} backwards.
    const unsigned char forward[4] = {2, 3, 1, 1};
    const unsigned char backward[4] = {14, 11, 13, 9};
    const unsigned char* m = inverse ? backward : forward;
    for (unsigned c = 0; c < 4; ++c)
    {
        unsigned char* column = state + 4 * c;
        unsigned char a[4] = {column[0], column[1], column[2], column[3]};
        for (unsigned r = 0; r < 4; ++r)
        {
            column[r] = static_cast<unsigned char>(
                GfMultiply(a[0], m[(4 - r) % 4]) ^ GfMultiply(a[1], m[(5 - r) % 4]) ^
                GfMultiply(a[2], m[(6 - r) % 4]) ^ GfMultiply(a[3], m[(7 - r) % 4]));
        }
    }
}

bool IsAllZero(const unsigned char* data, size_t length)
{
    for (size_t i = 0; i < length; ++i)
        if (data[i] != 0) return false;
    return true;
}
} // namespace

CAesEncoder::CAesEncoder()
{
    Boxes();
}

void CAesEncoder::ClearKey()
{
    std::memset(m_key, 0, sizeof(m_key));
    std::memset(m_roundKeys, 0, sizeof(m_roundKeys));
}

bool CAesEncoder::SetKeyString(const char* text)
{
    if (text == nullptr) return false;
    unsigned char key[kKeySize] = {};
    for (uint32_t i = 0; i < 16 && text[i] != '\0'; ++i)
        key[i] = static_cast<unsigned char>(text[i]);
    ExpandKey(key);
    return true;
}

bool CAesEncoder::SetKey(const void* key, uint32_t length)
{
    if (key == nullptr || length == 0 || length > kKeySize) return false;
    unsigned char padded[kKeySize] = {};
    std::memcpy(padded, key, length);
    ExpandKey(padded);
    return true;
}

bool CAesEncoder::HasKey() const
{
    return !IsAllZero(m_key, sizeof(m_key));
}

void CAesEncoder::ExpandKey(const unsigned char key[32])
{
    const sAesBoxes& boxes = Boxes();
    std::memcpy(m_key, key, kKeySize);
    std::memcpy(m_roundKeys, key, kKeySize);
    // Words of 4 bytes; every eighth word is rotated, substituted and given the round constant, the
    // word four after it is substituted only.
    unsigned char roundConstant = 0x01;
    for (unsigned word = kKeySize / 4; word < (kRounds + 1) * 4; ++word)
    {
        unsigned char t[4];
        std::memcpy(t, m_roundKeys + 4 * (word - 1), 4);
        if (word % 8 == 0)
        {
            const unsigned char first = t[0];
            t[0] = static_cast<unsigned char>(boxes.forward[t[1]] ^ roundConstant);
            t[1] = boxes.forward[t[2]];
            t[2] = boxes.forward[t[3]];
            t[3] = boxes.forward[first];
            roundConstant = Times2(roundConstant);
        }
        else if (word % 8 == 4)
        {
            for (unsigned char& b : t)
                b = boxes.forward[b];
        }
        for (unsigned i = 0; i < 4; ++i)
            m_roundKeys[4 * word + i] = static_cast<unsigned char>(m_roundKeys[4 * (word - 8) + i] ^ t[i]);
    }
}

void CAesEncoder::EncryptBlock(unsigned char block[16]) const
{
    const sAesBoxes& boxes = Boxes();
    AddRoundKey(block, m_roundKeys);
    for (unsigned round = 1; round <= kRounds; ++round)
    {
        Substitute(block, boxes.forward);
        ShiftRows(block, false);
        if (round != kRounds) MixColumns(block, false);
        AddRoundKey(block, m_roundKeys + round * kBlockSize);
    }
}

void CAesEncoder::DecryptBlock(unsigned char block[16]) const
{
    const sAesBoxes& boxes = Boxes();
    AddRoundKey(block, m_roundKeys + kRounds * kBlockSize);
    for (unsigned round = kRounds; round-- > 0;)
    {
        ShiftRows(block, true);
        Substitute(block, boxes.inverse);
        AddRoundKey(block, m_roundKeys + round * kBlockSize);
        if (round != 0) MixColumns(block, true);
    }
}

bool CAesEncoder::Encrypt(char** output, uint32_t* outputLength, const void* input, uint32_t inputLength,
                          uint32_t prefix)
{
    if (!IsEmptyOutputSlot(output) || outputLength == nullptr ||
        !IsValidCodecInput(input, inputLength, prefix))
        return false;
    if (!HasKey() || inputLength - prefix < kBlockSize) return false;
    CCodecBuffer buffer(inputLength);
    if (!buffer) return false;
    std::memcpy(buffer.Get(), input, inputLength);
    EncryptBlock(buffer.Bytes() + prefix);
    *outputLength = inputLength;
    *output = buffer.Release();
    return true;
}

bool CAesEncoder::Decrypt(char** output, uint32_t expectedLength, const void* input, uint32_t inputLength,
                          uint32_t prefix)
{
    if (!IsEmptyOutputSlot(output) || !IsValidCodecInput(input, inputLength, prefix)) return false;
    if (!HasKey() || inputLength != expectedLength || inputLength - prefix < kBlockSize) return false;
    CCodecBuffer buffer(inputLength);
    if (!buffer) return false;
    std::memcpy(buffer.Get(), input, inputLength);
    DecryptBlock(buffer.Bytes() + prefix);
    *output = buffer.Release();
    return true;
}

} // namespace ZP
