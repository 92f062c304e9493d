#pragma once
// Compression method 1: one zlib stream (RFC 1950 wrapper around deflate) at level 9. Decoding fails
// on any zlib error, on a stream that inflates past the expected length or ends short of it, and,
// before allocating, on an expected length no deflate stream of that size can reach.
#include "zpak/codec/ZipStreamCodec.h"

namespace ZP
{

class CZlib : public CZipStreamCodec
{
public:
    CZlib();
};

} // namespace ZP
