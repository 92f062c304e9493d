#include "zpak/codec/TeaEncoder.h"

#include "zpak/codec/CodecBuffer.h"

#include <cstring>
#include <limits>

namespace ZP
{
namespace
{
constexpr uint32_t kDelta = 0x9E3779B9;
constexpr unsigned kCycles = 32;

void LoadKey(uint32_t key[4], const unsigned char* bytes, uint32_t length)
{
    unsigned char padded[CTeaEncoder::kKeySize] = {};
    std::memcpy(padded, bytes, length);
    for (unsigned i = 0; i < 4; ++i)
        key[i] = ReadU32(padded + 4 * i);
}
} // namespace

void CTeaEncoder::ClearKey()
{
    std::memset(m_key, 0, sizeof(m_key));
}

bool CTeaEncoder::SetKeyString(const char* text)
{
    if (text == nullptr) return false;
    // One byte short of the key: the text's terminating zero always fits.
    uint32_t length = 0;
    while (length < kKeySize - 1 && text[length] != '\0')
        ++length;
    LoadKey(m_key, reinterpret_cast<const unsigned char*>(text), length);
    return true;
}

bool CTeaEncoder::SetKey(const void* key, uint32_t length)
{
    if (key == nullptr || length == 0 || length > kKeySize) return false;
    LoadKey(m_key, static_cast<const unsigned char*>(key), length);
    return true;
}

bool CTeaEncoder::HasKey() const
{
    return (m_key[0] | m_key[1] | m_key[2] | m_key[3]) != 0;
}

unsigned char CTeaEncoder::KeyByte(unsigned index) const
{
    return static_cast<unsigned char>(m_key[index / 4] >> (8 * (index % 4)));
}

void CTeaEncoder::EncipherCycles(uint32_t block[2], const uint32_t key[4], unsigned cycles)
{
    uint32_t v0 = block[0], v1 = block[1], sum = 0;
    for (unsigned i = 0; i < cycles; ++i)
    {
        v0 += (((v1 << 4) ^ (v1 >> 5)) + v1) ^ (sum + key[sum & 3]);
        sum += kDelta;
        v1 += (((v0 << 4) ^ (v0 >> 5)) + v0) ^ (sum + key[(sum >> 11) & 3]);
    }
    block[0] = v0;
    block[1] = v1;
}

void CTeaEncoder::DecipherCycles(uint32_t block[2], const uint32_t key[4], unsigned cycles)
{
    uint32_t v0 = block[0], v1 = block[1], sum = kDelta * cycles;
    for (unsigned i = 0; i < cycles; ++i)
    {
        v1 -= (((v0 << 4) ^ (v0 >> 5)) + v0) ^ (sum + key[(sum >> 11) & 3]);
        sum -= kDelta;
        v0 -= (((v1 << 4) ^ (v1 >> 5)) + v1) ^ (sum + key[sum & 3]);
    }
    block[0] = v0;
    block[1] = v1;
}

void CTeaEncoder::EncipherBlock(uint32_t block[2]) const
{
    EncipherCycles(block, m_key, kCycles);
}

void CTeaEncoder::DecipherBlock(uint32_t block[2]) const
{
    DecipherCycles(block, m_key, kCycles);
}

bool CTeaEncoder::Encrypt(char** output, uint32_t* outputLength, const void* input, uint32_t inputLength,
                          uint32_t prefix)
{
    if (!IsEmptyOutputSlot(output) || outputLength == nullptr ||
        !IsValidCodecInput(input, inputLength, prefix))
        return false;
    const uint64_t n = inputLength - prefix;
    const uint64_t rounded = (n + kBlockSize - 1) / kBlockSize * kBlockSize;
    if (!HasKey() || n == 0 || prefix + rounded > std::numeric_limits<uint32_t>::max()) return false;

    CCodecBuffer buffer(prefix + rounded);
    if (!buffer) return false;
    std::memcpy(buffer.Get(), input, inputLength);
    std::memset(buffer.Get() + inputLength, 0, rounded - n);
    for (unsigned char* p = buffer.Bytes() + prefix; p < buffer.Bytes() + prefix + rounded; p += kBlockSize)
    {
        uint32_t block[2] = {ReadU32(p), ReadU32(p + 4)};
        EncipherBlock(block);
        WriteU32(p, block[0]);
        WriteU32(p + 4, block[1]);
    }
    *outputLength = static_cast<uint32_t>(prefix + rounded);
    *output = buffer.Release();
    return true;
}

bool CTeaEncoder::Decrypt(char** output, uint32_t expectedLength, const void* input, uint32_t inputLength,
                          uint32_t prefix)
{
    if (!IsEmptyOutputSlot(output) || !IsValidCodecInput(input, inputLength, prefix) ||
        prefix > expectedLength)
        return false;
    const uint32_t body = inputLength - prefix;
    const uint32_t wanted = expectedLength - prefix;
    if (!HasKey() || wanted == 0 || body % kBlockSize != 0 || body < wanted || body - wanted >= kBlockSize)
        return false;

    // Room for the whole last block; the caller uses the expected length of it.
    CCodecBuffer buffer(inputLength);
    if (!buffer) return false;
    std::memcpy(buffer.Get(), input, inputLength);
    for (unsigned char* p = buffer.Bytes() + prefix; p < buffer.Bytes() + inputLength; p += kBlockSize)
    {
        uint32_t block[2] = {ReadU32(p), ReadU32(p + 4)};
        DecipherBlock(block);
        WriteU32(p, block[0]);
        WriteU32(p + 4, block[1]);
    }
    *output = buffer.Release();
    return true;
}

} // namespace ZP
