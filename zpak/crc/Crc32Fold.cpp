#include "zpak/crc/Crc32Fold.h"

#include <zlib.h>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace ZP
{
namespace
{
constexpr uint64_t kPolynomial = 0x104C11DB7ULL; // x^32 + ... + 1, in normal bit order

// x^n mod P, normal bit order.
uint32_t PowerModP(unsigned n)
{
    uint64_t r = 1;
    for (unsigned i = 0; i < n; ++i)
    {
        r <<= 1;
        if (r & 0x100000000ULL) r ^= kPolynomial;
    }
    return static_cast<uint32_t>(r);
}

uint32_t Reflect32(uint32_t v)
{
    uint32_t r = 0;
    for (int i = 0; i < 32; ++i)
        if (v & (1u << i)) r |= 1u << (31 - i);
    return r;
}

// The folding constant for a distance of n bits, in the reflected domain the lanes use; the
// extra shift makes up for the one-bit offset of a reflected carry-less product.
uint64_t FoldConstant(unsigned n)
{
    return static_cast<uint64_t>(Reflect32(PowerModP(n))) << 1;
}

struct sConstants
{
    uint64_t k1, k2, k3, k4;
    sConstants()
        : k1(FoldConstant(4 * 128 + 32)), k2(FoldConstant(4 * 128 - 32)), k3(FoldConstant(128 + 32)),
          k4(FoldConstant(128 - 32))
    {
    }
};

const sConstants& Constants()
{
    static const sConstants constants;
    return constants;
}
} // namespace

#if defined(__x86_64__)

bool HasFoldedCrc32()
{
    return __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("sse4.1");
}

__attribute__((target("pclmul,sse4.1"))) static __m128i Fold(__m128i lane, __m128i constants, __m128i next)
{
    __m128i low = _mm_clmulepi64_si128(lane, constants, 0x00);
    __m128i high = _mm_clmulepi64_si128(lane, constants, 0x11);
    return _mm_xor_si128(_mm_xor_si128(low, high), next);
}

__attribute__((target("pclmul,sse4.1"))) uint32_t FoldedCrc32(uint32_t crc, const unsigned char* p,
                                                              size_t length)
{
    if (length < 128) return static_cast<uint32_t>(crc32(crc, p, static_cast<uInt>(length)));
    const sConstants& k = Constants();
    auto load = [](const unsigned char* q) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(q)); };
    __m128i x0 = _mm_xor_si128(load(p), _mm_cvtsi32_si128(static_cast<int>(~crc)));
    __m128i x1 = load(p + 16);
    __m128i x2 = load(p + 32);
    __m128i x3 = load(p + 48);
    p += 64;
    length -= 64;
    const __m128i by4 = _mm_set_epi64x(static_cast<long long>(k.k2), static_cast<long long>(k.k1));
    while (length >= 64)
    {
        x0 = Fold(x0, by4, load(p));
        x1 = Fold(x1, by4, load(p + 16));
        x2 = Fold(x2, by4, load(p + 32));
        x3 = Fold(x3, by4, load(p + 48));
        p += 64;
        length -= 64;
    }
    const __m128i by1 = _mm_set_epi64x(static_cast<long long>(k.k4), static_cast<long long>(k.k3));
    __m128i x = Fold(x0, by1, x1);
    x = Fold(x, by1, x2);
    x = Fold(x, by1, x3);
    while (length >= 16)
    {
        x = Fold(x, by1, load(p));
        p += 16;
        length -= 16;
    }
    // The folded state stands for the message so far: run it through the byte-wise engine from a
    // zero register, then the tail.
    alignas(16) unsigned char state[16];
    _mm_store_si128(reinterpret_cast<__m128i*>(state), x);
    uint32_t result = static_cast<uint32_t>(crc32(0xFFFFFFFFu, state, 16));
    return static_cast<uint32_t>(crc32(result, p, static_cast<uInt>(length)));
}

#else

bool HasFoldedCrc32()
{
    return false;
}
uint32_t FoldedCrc32(uint32_t crc, const unsigned char* p, size_t length)
{
    return static_cast<uint32_t>(crc32(crc, p, static_cast<uInt>(length)));
}

#endif

} // namespace ZP
