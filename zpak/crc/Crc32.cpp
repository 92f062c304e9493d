#include "zpak/crc/Crc32.h"

#include "zpak/crc/Crc32Fold.h"

#include "platform/fs/FileSystem.h"
#include "platform/text/TextCodec.h"
#include "zpak/common/CommonFunction.h"
#include "zpak/common/Stopper.h"

#include <mutex>
#include <vector>
#include <zlib.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace ZP
{

uint32_t AddByteSum(const void* data, size_t length, uint32_t sum)
{
    const unsigned char* p = static_cast<const unsigned char*>(data);
    size_t i = 0;
#if defined(__SSE2__)
    // Bias each byte by 128 so the unsigned sum-of-absolute-differences instruction adds them; the
    // bias is taken off again at the end.
    const __m128i bias = _mm_set1_epi8(static_cast<char>(0x80));
    const __m128i zero = _mm_setzero_si128();
    __m128i acc = _mm_setzero_si128();
    for (; i + 64 <= length; i += 64)
    {
        __m128i a = _mm_xor_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i)), bias);
        __m128i b = _mm_xor_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i + 16)), bias);
        __m128i c = _mm_xor_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i + 32)), bias);
        __m128i d = _mm_xor_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i + 48)), bias);
        acc = _mm_add_epi64(acc, _mm_sad_epu8(a, zero));
        acc = _mm_add_epi64(acc, _mm_sad_epu8(b, zero));
        acc = _mm_add_epi64(acc, _mm_sad_epu8(c, zero));
        acc = _mm_add_epi64(acc, _mm_sad_epu8(d, zero));
    }
    uint64_t lanes[2];
    _mm_storeu_si128(reinterpret_cast<__m128i*>(lanes), acc);
    uint64_t biased = lanes[0] + lanes[1];
    sum += static_cast<uint32_t>(biased - 128ULL * i);
#endif
    for (; i < length; ++i)
        sum += static_cast<uint32_t>(static_cast<int32_t>(static_cast<int8_t>(p[i])));
    return sum;
}

CCrc32& CCrc32::Get()
{
    static CCrc32 instance;
    static std::once_flag once;
    std::call_once(once, [] { instance.BuildTable(); });
    return instance;
}

void CCrc32::BuildTable()
{
    if (m_built) return;
    for (uint32_t n = 0; n < 256; ++n)
    {
        uint32_t c = n;
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        m_table[n] = c;
    }
    m_built = true;
}

uint32_t CCrc32::Update(const void* data, size_t length, uint32_t crc, int32_t* sum)
{
    if (!data) return crc;
    const unsigned char* p = static_cast<const unsigned char*>(data);
    uint32_t running = sum ? static_cast<uint32_t>(*sum) : 0;
    // Carry-less folding where the processor has it, zlib's CRC otherwise: both give the
    // identical standard CRC-32.
    static const bool folded = HasFoldedCrc32();
    while (length > 0)
    {
        if (CStopper::IsStopRequested()) return 0;
        size_t n = length < kPollBlock ? length : kPollBlock;
        crc = folded ? FoldedCrc32(crc, p, n) : static_cast<uint32_t>(crc32(crc, p, static_cast<uInt>(n)));
        if (sum) running = AddByteSum(p, n, running);
        p += n;
        length -= n;
    }
    if (sum) *sum = static_cast<int32_t>(running);
    return crc;
}

uint32_t CCrc32::UpdateFile(std::wstring_view path, uint64_t offset, uint64_t length, int32_t* sum)
{
    platform::fs::File file;
    if (!file.Open(path, platform::fs::eOpenMode::Read)) return 0;
    return UpdateStream(file, offset, length, sum);
}

uint32_t CCrc32::UpdateStream(platform::fs::File& file, uint64_t offset, uint64_t length, int32_t* sum)
{
    int64_t saved = file.Tell();
    if (saved < 0) return 0;
    if (length == 0)
    {
        int64_t size = file.Size();
        if (size < 0 || static_cast<uint64_t>(size) < offset) return 0;
        length = static_cast<uint64_t>(size) - offset;
    }
    uint32_t crc = 0;
    int32_t localSum = sum ? *sum : 0;
    bool ok = file.Seek(static_cast<int64_t>(offset), platform::fs::eSeekOrigin::Begin);
    std::vector<unsigned char> chunk(kStreamChunk);
    while (ok && length > 0)
    {
        if (CStopper::IsStopRequested())
        {
            ok = false;
            break;
        }
        size_t want = length < kStreamChunk ? static_cast<size_t>(length) : kStreamChunk;
        int64_t got = file.Read(chunk.data(), want);
        if (got <= 0)
        {
            ok = false;
            break;
        }
        crc = Update(chunk.data(), static_cast<size_t>(got), crc, sum ? &localSum : nullptr);
        length -= static_cast<uint64_t>(got);
    }
    file.Seek(saved, platform::fs::eSeekOrigin::Begin);
    if (!ok) return 0;
    if (sum) *sum = localSum;
    return crc;
}

uint32_t CCrc32::HashString(std::wstring_view text)
{
    if (text.empty() || text.size() >= (1u << 30)) return 0;
    if (!m_built) BuildTable();
    // Upper-cased and split into UTF-16 units on the fly: names are hashed on every look-up.
    uint32_t reg = 0xFFFFFFFFu;
    auto step = [&reg, this](uint32_t unit) { reg = (reg >> 8) ^ m_table[(reg ^ unit) & 0xFF]; };
    for (wchar_t c : text)
    {
        uint32_t u = static_cast<uint32_t>(platform::text::ToUpper(c));
        if (u >= 0x10000 && u <= 0x10FFFF)
        {
            u -= 0x10000;
            step(0xD800 + (u >> 10));
            step(0xDC00 + (u & 0x3FF));
        }
        else
            step(u > 0x10FFFF ? 0xFFFD : u);
    }
    return ~reg;
}

uint32_t CCrc32::HashPart(std::wstring_view text, int part)
{
    switch (part)
    {
    case 0:
        return HashString(text);
    case 1:
        return HashString(GetFileNameWithExt(text));
    case 2:
        return HashString(GetExtension(text));
    case 3:
        return HashString(RemoveTrailingSeparator(GetFolderPart(text)));
    default:
        return 0;
    }
}

} // namespace ZP
