#include "zpak/codec/EncodeMgr.h"

#include "zpak/codec/AesEncoder.h"
#include "zpak/codec/SimpleEncoder.h"
#include "zpak/codec/TeaEncoder.h"
#include "zpak/codec/XTeaEncoder.h"

namespace ZP
{

CEncodeMgr::CEncodeMgr()
{
    Register<CTeaEncoder>(kEncTea);
    Register<CAesEncoder>(kEncAes);
    Register<CSimpleEncoder>(kEncSimple);
    Register<CXTeaEncoder>(kEncXTea);
}

} // namespace ZP
