#pragma once
// The compression registry: method ids of the file records mapped to codecs. 0 means "not
// compressed" and has no codec; ids from kSlotCount up are unknown. Every operation on a missing
// codec fails.
#include "zpak/codec/ZipBase.h"

#include <cstdint>
#include <memory>

namespace ZP
{

constexpr int kZipNone = 0;
constexpr int kZipZlib = 1;
constexpr int kZipLzma = 2;

class CZipMgr
{
public:
    static constexpr int kSlotCount = 3;

    CZipMgr();
    ~CZipMgr();
    CZipMgr(const CZipMgr&) = delete;
    CZipMgr& operator=(const CZipMgr&) = delete;

    // Null for 0 and for unknown ids.
    IZipBase* GetZip(int method) const;

    bool Compress(int method, char** output, uint32_t* outputLength, const void* input, uint32_t inputLength,
                  uint32_t prefix);
    bool Decompress(int method, char** output, uint32_t expectedLength, const void* input,
                    uint32_t inputLength, uint32_t prefix);

private:
    std::unique_ptr<IZipBase> m_slots[kSlotCount];
};

// The process-wide registry, created on first use and kept until exit.
CZipMgr& GetZipMgr();

// Entry points over the registry (see IZipBase for the buffer contract). The codecs write no log
// lines: callers turn a failure into their own result code, or keep the bytes untransformed.
bool Compress(int method, char** output, uint32_t* outputLength, const void* input, uint32_t inputLength,
              uint32_t prefix = 0);
bool Decompress(int method, char** output, uint32_t expectedLength, const void* input, uint32_t inputLength,
                uint32_t prefix = 0);

} // namespace ZP
