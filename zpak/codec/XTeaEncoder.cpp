#include "zpak/codec/XTeaEncoder.h"

namespace ZP
{
namespace
{
constexpr unsigned kCycles = 64;
}

void CXTeaEncoder::EncipherBlock(uint32_t block[2]) const
{
    EncipherCycles(block, m_key, kCycles);
}

void CXTeaEncoder::DecipherBlock(uint32_t block[2]) const
{
    DecipherCycles(block, m_key, kCycles);
}

} // namespace ZP
