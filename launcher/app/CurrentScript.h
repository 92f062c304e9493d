#pragma once
// The process-wide current script, the only one: the information records read its code page and
// run downloaded files through it, the components call the functions a script names. The
// application sets it once the script host has initialised and clears it before the host goes;
// null before. Set from one thread, read from any (the pointer itself is atomic).
#include <cstdint>

class IScriptRunner
{
public:
    virtual ~IScriptRunner() = default;
    // Runs the bytes as one chunk; 1 whatever the chunk did, 0 without a state.
    virtual int RunScriptBuffer(const char* bytes, uint32_t length) = 0;
    // The first result of the global function as a 32-bit integer (0 for anything not a number, -1
    // without a state).
    virtual int CallScriptFunction(const char* name) = 0;
    // 65001 (UTF-8) or 0 (the ANSI code page).
    virtual unsigned GetCodePage() = 0;
};

// The script is borrowed: whoever sets it keeps it alive until it is cleared.
IScriptRunner* GetCurrentScript();
void SetCurrentScript(IScriptRunner* script);

// The code page of the current script; UTF-8 while there is none (no chunk has run yet).
unsigned CurrentScriptCodePage();
