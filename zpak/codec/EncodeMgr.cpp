#include "zpak/codec/EncodeMgr.h"

#include "zpak/codec/AesEncoder.h"
#include "zpak/codec/SimpleEncoder.h"
#include "zpak/codec/TeaEncoder.h"
#include "zpak/codec/XTeaEncoder.h"

namespace ZP
{

CEncodeMgr::CEncodeMgr()
{
    m_slots[kEncTea] = std::make_unique<CTeaEncoder>();
    m_slots[kEncAes] = std::make_unique<CAesEncoder>();
    m_slots[kEncSimple] = std::make_unique<CSimpleEncoder>();
    m_slots[kEncXTea] = std::make_unique<CXTeaEncoder>();
}

CEncodeMgr::~CEncodeMgr() = default;

IEncoder* CEncodeMgr::GetEncoder(int method) const
{
    if (method < 0 || method >= kSlotCount) return nullptr;
    return m_slots[method].get();
}

bool CEncodeMgr::Encrypt(int method, char** output, uint32_t* outputLength, const void* input,
                         uint32_t inputLength, uint32_t prefix)
{
    IEncoder* encoder = GetEncoder(method);
    return encoder != nullptr && encoder->Encrypt(output, outputLength, input, inputLength, prefix);
}

bool CEncodeMgr::Decrypt(int method, char** output, uint32_t expectedLength, const void* input,
                         uint32_t inputLength, uint32_t prefix)
{
    IEncoder* encoder = GetEncoder(method);
    return encoder != nullptr && encoder->Decrypt(output, expectedLength, input, inputLength, prefix);
}

// Never destroyed: a pak closed during static teardown may still decode through it.
CEncodeMgr& GetEncodeMgr()
{
    static CEncodeMgr* mgr = new CEncodeMgr;
    return *mgr;
}

bool Encrypt(int method, char** output, uint32_t* outputLength, const void* input, uint32_t inputLength,
             uint32_t prefix)
{
    return GetEncodeMgr().Encrypt(method, output, outputLength, input, inputLength, prefix);
}

bool Decrypt(int method, char** output, uint32_t expectedLength, const void* input, uint32_t inputLength,
             uint32_t prefix)
{
    return GetEncodeMgr().Decrypt(method, output, expectedLength, input, inputLength, prefix);
}

} // namespace ZP
