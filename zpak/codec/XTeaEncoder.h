#pragma once
// Encryption method 4: the XTEA of method 1 with 64 cycles (final sum 0x8DDE6E40); same key, block
// layout and length rules.
#include "zpak/codec/TeaEncoder.h"

namespace ZP
{

class CXTeaEncoder : public CTeaEncoder
{
public:
    void EncipherBlock(uint32_t block[2]) const override;
    void DecipherBlock(uint32_t block[2]) const override;
};

} // namespace ZP
