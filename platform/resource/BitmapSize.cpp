#include "platform/resource/BitmapSize.h"

#include <cstdint>
#include <cstring>

namespace platform::resource
{
namespace
{
uint32_t BigEndian32(const unsigned char* p)
{
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3]);
}

uint32_t LittleEndian32(const unsigned char* p)
{
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

uint16_t LittleEndian16(const unsigned char* p)
{
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

bool Accept(int64_t w, int64_t h, int& width, int& height)
{
    if (w < 1 || h < 1 || w > kMaxBitmapSide || h > kMaxBitmapSide) return false;
    width = static_cast<int>(w);
    height = static_cast<int>(h);
    return true;
}

// Signature, then the IHDR chunk: length 13, type, width, height (big-endian).
bool PngSize(const unsigned char* p, size_t size, int& width, int& height)
{
    static const unsigned char kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (size < 24 || std::memcmp(p, kSignature, 8) != 0) return false;
    if (BigEndian32(p + 8) != 13 || std::memcmp(p + 12, "IHDR", 4) != 0) return false;
    return Accept(BigEndian32(p + 16), BigEndian32(p + 20), width, height);
}

// File header (14 bytes), then an info header: the 12-byte core form with 16-bit sizes, or one of
// 40 bytes or more with signed 32-bit sizes (a negative height means top-down rows).
bool BmpSize(const unsigned char* p, size_t size, int& width, int& height)
{
    if (size < 26 || p[0] != 'B' || p[1] != 'M') return false;
    uint32_t infoSize = LittleEndian32(p + 14);
    if (infoSize == 12) return Accept(LittleEndian16(p + 18), LittleEndian16(p + 20), width, height);
    if (infoSize < 40 || size < 14 + 40) return false;
    int32_t w = static_cast<int32_t>(LittleEndian32(p + 18));
    int32_t h = static_cast<int32_t>(LittleEndian32(p + 22));
    int64_t absHeight = h < 0 ? -int64_t(h) : int64_t(h);
    return Accept(w, absHeight, width, height);
}
} // namespace

bool ReadBitmapSize(const char* bytes, size_t size, int& width, int& height)
{
    if (!bytes) return false;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes);
    return PngSize(p, size, width, height) || BmpSize(p, size, width, height);
}

} // namespace platform::resource
