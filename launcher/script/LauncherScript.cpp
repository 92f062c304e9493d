#include "launcher/script/LauncherScript.h"

#include <atomic>

namespace
{
std::atomic<CLauncherScript*> g_current{nullptr};
} // namespace

CLauncherScript* GetCurrentScript()
{
    return g_current.load();
}

void SetCurrentScript(CLauncherScript* script)
{
    g_current.store(script);
    SetCurrentScriptRunner(script);
}
