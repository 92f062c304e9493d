#pragma once
// The process-wide current script as the lower layers see it: the information records read its code
// page and run downloaded files through it, the components call the functions a script names. The
// script host sets it (SetCurrentScript of launcher/script) once it has initialised; null before.
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

IScriptRunner* GetCurrentScriptRunner();
void SetCurrentScriptRunner(IScriptRunner* runner);

// The code page of the current script; UTF-8 while there is none (no chunk has run yet).
unsigned CurrentScriptCodePage();
