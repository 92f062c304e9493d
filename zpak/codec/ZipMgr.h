#pragma once
// The compression registry: method ids of the file records mapped to codecs (see TCodecRegistry).
#include "zpak/codec/CodecRegistry.h"
#include "zpak/codec/ZipBase.h"

#include <cstdint>

namespace ZP
{

constexpr int kZipNone = 0;
constexpr int kZipZlib = 1;
constexpr int kZipLzma = 2;

class CZipMgr : public TCodecRegistry<CZipMgr, IZipBase, 3, &IZipBase::Compress, &IZipBase::Decompress>
{
public:
    CZipMgr();

    IZipBase* GetZip(int method) const { return Get(method); }
};

inline CZipMgr& GetZipMgr()
{
    return CZipMgr::Instance();
}

// Entry points over the registry (see IZipBase for the buffer contract). The codecs write no log
// lines: callers turn a failure into their own result code, or keep the bytes untransformed.
inline bool Compress(int method, char** output, uint32_t* outputLength, const void* input,
                     uint32_t inputLength, uint32_t prefix = 0)
{
    return GetZipMgr().Forward(method, output, outputLength, input, inputLength, prefix);
}
inline bool Decompress(int method, char** output, uint32_t expectedLength, const void* input,
                       uint32_t inputLength, uint32_t prefix = 0)
{
    return GetZipMgr().Backward(method, output, expectedLength, input, inputLength, prefix);
}

} // namespace ZP
