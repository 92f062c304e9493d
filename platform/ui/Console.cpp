#include "platform/ui/Console.h"

#include <unistd.h>

namespace platform::ui
{

bool StderrIsTerminal()
{
    return ::isatty(STDERR_FILENO) == 1;
}

} // namespace platform::ui
