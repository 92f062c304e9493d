#include "launcher/app/CurrentScript.h"

#include "platform/text/TextCodec.h"

#include <atomic>

namespace
{
std::atomic<IScriptRunner*> g_script{nullptr};
} // namespace

IScriptRunner* GetCurrentScript()
{
    return g_script.load();
}

void SetCurrentScript(IScriptRunner* script)
{
    g_script.store(script);
}

unsigned CurrentScriptCodePage()
{
    IScriptRunner* script = g_script.load();
    return script ? script->GetCodePage() : platform::text::kCodePageUtf8;
}
