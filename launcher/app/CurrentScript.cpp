#include "launcher/app/CurrentScript.h"

#include "platform/text/TextCodec.h"

#include <atomic>

namespace
{
std::atomic<IScriptRunner*> g_runner{nullptr};
} // namespace

IScriptRunner* GetCurrentScriptRunner()
{
    return g_runner.load();
}

void SetCurrentScriptRunner(IScriptRunner* runner)
{
    g_runner.store(runner);
}

unsigned CurrentScriptCodePage()
{
    IScriptRunner* runner = g_runner.load();
    return runner ? runner->GetCodePage() : platform::text::kCodePageUtf8;
}
