#pragma once
// CRC-32 (the reflected 0xEDB88320 polynomial of ZIP and zlib), the signed byte sum computed in the
// same pass, and the name keys: the CRC-32 of an upper-cased name over the low 8 bits of each of its
// UTF-16 code units.
#include <cstdint>
#include <string_view>

namespace platform::fs
{
class File;
}

namespace ZP
{

class CCrc32
{
public:
    static CCrc32& Get();
    virtual ~CCrc32() = default;

    virtual void BuildTable();
    virtual bool HasTable() const { return m_built; }
    // Continues crc over the data. Each byte is added to *sum as a signed 8-bit value (the counter
    // wraps). Returns crc unchanged for null data, 0 when the stop flag is raised.
    virtual uint32_t Update(const void* data, size_t length, uint32_t crc, int32_t* sum = nullptr);
    // CRC of length bytes from offset (the whole rest of the file when length is 0); 0 on failure.
    virtual uint32_t UpdateFile(std::wstring_view path, uint64_t offset, uint64_t length,
                                int32_t* sum = nullptr);
    // As UpdateFile on an open file; its position is restored afterwards.
    virtual uint32_t UpdateStream(platform::fs::File& file, uint64_t offset, uint64_t length,
                                  int32_t* sum = nullptr);
    virtual uint32_t HashString(std::wstring_view text);
    // 0 the whole text, 1 the file name with extension, 2 the extension with its dot, 3 the folder
    // part without a trailing separator; any other part gives 0.
    virtual uint32_t HashPart(std::wstring_view text, int part);

    static constexpr size_t kStreamChunk = 32768;
    // The stop flag is polled once per block of this size.
    static constexpr size_t kPollBlock = 65536;

private:
    uint32_t m_table[256] = {};
    bool m_built = false;
};

// Signed byte sum of a buffer, added to a wrapping 32-bit counter.
uint32_t AddByteSum(const void* data, size_t length, uint32_t sum);

} // namespace ZP
