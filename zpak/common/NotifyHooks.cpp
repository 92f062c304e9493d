#include "zpak/common/NotifyHooks.h"

namespace ZP
{

sNotifyHooks& GetNotifyHooks()
{
    static sNotifyHooks hooks;
    return hooks;
}

} // namespace ZP
