#include "platform/process/Exit.h"

#include <cstdio>
#include <cstdlib>

namespace platform::process
{

void EndProcessNow(int exitCode)
{
    std::fflush(nullptr);
    std::_Exit(exitCode);
}

} // namespace platform::process
