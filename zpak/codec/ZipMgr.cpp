#include "zpak/codec/ZipMgr.h"

#include "zpak/codec/Lzma.h"
#include "zpak/codec/Zlib.h"

namespace ZP
{

CZipMgr::CZipMgr()
{
    m_slots[kZipZlib] = std::make_unique<CZlib>();
    m_slots[kZipLzma] = std::make_unique<CLzma>();
}

CZipMgr::~CZipMgr() = default;

IZipBase* CZipMgr::GetZip(int method) const
{
    if (method < 0 || method >= kSlotCount) return nullptr;
    return m_slots[method].get();
}

bool CZipMgr::Compress(int method, char** output, uint32_t* outputLength, const void* input,
                       uint32_t inputLength, uint32_t prefix)
{
    IZipBase* zip = GetZip(method);
    return zip != nullptr && zip->Compress(output, outputLength, input, inputLength, prefix);
}

bool CZipMgr::Decompress(int method, char** output, uint32_t expectedLength, const void* input,
                         uint32_t inputLength, uint32_t prefix)
{
    IZipBase* zip = GetZip(method);
    return zip != nullptr && zip->Decompress(output, expectedLength, input, inputLength, prefix);
}

// Never destroyed: a pak closed during static teardown may still decode through it.
CZipMgr& GetZipMgr()
{
    static CZipMgr* mgr = new CZipMgr;
    return *mgr;
}

bool Compress(int method, char** output, uint32_t* outputLength, const void* input, uint32_t inputLength,
              uint32_t prefix)
{
    return GetZipMgr().Compress(method, output, outputLength, input, inputLength, prefix);
}

bool Decompress(int method, char** output, uint32_t expectedLength, const void* input, uint32_t inputLength,
                uint32_t prefix)
{
    return GetZipMgr().Decompress(method, output, expectedLength, input, inputLength, prefix);
}

} // namespace ZP
