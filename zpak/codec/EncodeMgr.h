#pragma once
// The encryption registry: method ids of the file records mapped to encoders. 0 means "not
// encrypted" and has no encoder; ids from kSlotCount up are unknown. Every operation on a missing
// encoder fails.
#include "zpak/codec/Encoder.h"

#include <cstdint>
#include <memory>

namespace ZP
{

constexpr int kEncNone = 0;
constexpr int kEncTea = 1;
constexpr int kEncAes = 2;
constexpr int kEncSimple = 3;
constexpr int kEncXTea = 4;

class CEncodeMgr
{
public:
    static constexpr int kSlotCount = 5;

    CEncodeMgr();
    ~CEncodeMgr();
    CEncodeMgr(const CEncodeMgr&) = delete;
    CEncodeMgr& operator=(const CEncodeMgr&) = delete;

    // Null for 0 and for unknown ids. Keys are set on the encoder itself; the launcher sets none.
    IEncoder* GetEncoder(int method) const;

    bool Encrypt(int method, char** output, uint32_t* outputLength, const void* input, uint32_t inputLength,
                 uint32_t prefix);
    bool Decrypt(int method, char** output, uint32_t expectedLength, const void* input, uint32_t inputLength,
                 uint32_t prefix);

private:
    std::unique_ptr<IEncoder> m_slots[kSlotCount];
};

// The process-wide registry, created on first use and kept until exit.
CEncodeMgr& GetEncodeMgr();

// Entry points over the registry (see IEncoder for the buffer contract). The encoders write no log
// lines: callers turn a failure into their own result code, or keep the bytes untransformed.
bool Encrypt(int method, char** output, uint32_t* outputLength, const void* input, uint32_t inputLength,
             uint32_t prefix = 0);
bool Decrypt(int method, char** output, uint32_t expectedLength, const void* input, uint32_t inputLength,
             uint32_t prefix = 0);

} // namespace ZP
