#pragma once
// The encryption registry: method ids of the file records mapped to encoders (see TCodecRegistry).
#include "zpak/codec/CodecRegistry.h"
#include "zpak/codec/Encoder.h"

#include <cstdint>

namespace ZP
{

constexpr int kEncNone = 0;
constexpr int kEncTea = 1;
constexpr int kEncAes = 2;
constexpr int kEncSimple = 3;
constexpr int kEncXTea = 4;

class CEncodeMgr : public TCodecRegistry<CEncodeMgr, IEncoder, 5, &IEncoder::Encrypt, &IEncoder::Decrypt>
{
public:
    CEncodeMgr();

    // Keys are set on the encoder itself; the launcher sets none.
    IEncoder* GetEncoder(int method) const { return Get(method); }
};

inline CEncodeMgr& GetEncodeMgr()
{
    return CEncodeMgr::Instance();
}

// Entry points over the registry (see IEncoder for the buffer contract). The encoders write no log
// lines: callers turn a failure into their own result code, or keep the bytes untransformed.
inline bool Encrypt(int method, char** output, uint32_t* outputLength, const void* input,
                    uint32_t inputLength, uint32_t prefix = 0)
{
    return GetEncodeMgr().Forward(method, output, outputLength, input, inputLength, prefix);
}
inline bool Decrypt(int method, char** output, uint32_t expectedLength, const void* input,
                    uint32_t inputLength, uint32_t prefix = 0)
{
    return GetEncodeMgr().Backward(method, output, expectedLength, input, inputLength, prefix);
}

} // namespace ZP
