#include "zpak/codec/ZipMgr.h"

#include "zpak/codec/Lzma.h"
#include "zpak/codec/Zlib.h"

namespace ZP
{

CZipMgr::CZipMgr()
{
    Register<CZlib>(kZipZlib);
    Register<CLzma>(kZipLzma);
}

} // namespace ZP
