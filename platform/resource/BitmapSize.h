#pragma once
// Width and height of a skin bitmap from its header alone (PNG or BMP), so a window can size
// itself to its background without decoding pixels. The bytes are untrusted: anything that is not
// a well-formed header of a supported format, or a size outside 1..kMaxBitmapSide, gives false.
#include <cstddef>

namespace platform::resource
{

constexpr int kMaxBitmapSide = 16384;

bool ReadBitmapSize(const char* bytes, size_t size, int& width, int& height);

} // namespace platform::resource
