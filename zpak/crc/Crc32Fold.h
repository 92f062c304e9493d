#pragma once
// CRC-32 by carry-less multiplication: the data is folded 64 bytes at a time into four 128-bit
// lanes, then into one, and the last 16 bytes of state plus the tail go through the byte-wise
// engine. Results are identical to the byte-wise CRC.
#include <cstddef>
#include <cstdint>

namespace ZP
{

// True when the processor has the instructions.
bool HasFoldedCrc32();
// Continues the standard CRC-32 crc over the data (same contract as zlib's crc32).
uint32_t FoldedCrc32(uint32_t crc, const unsigned char* data, size_t length);

} // namespace ZP
