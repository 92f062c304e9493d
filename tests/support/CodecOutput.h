#pragma once
// The output slot a codec fills (see IZipBase): empty on entry, freed with the library's allocator
// when the test ends.
#include "zpak/file/FileBase.h"

#include <cstdint>
#include <string>

namespace testsupport
{

struct sCodecOutput
{
    char* data = nullptr;
    uint32_t length = 0;
    ~sCodecOutput() { ZP::FreeBuffer(data); }
    std::string Str(size_t n) const { return std::string(data, n); }
};

} // namespace testsupport
