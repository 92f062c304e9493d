#pragma once
// The script host as the rest of the launcher sees it: the component that runs the game's and the
// launcher's information files (Lua chunks) and calls the script functions they name.
#include "launcher/app/Components.h"
#include "launcher/app/CurrentScript.h"

#include <cstdint>

struct lua_State;

class CLauncherScript : public IAbsInitializer, public IScriptRunner
{
public:
    // 1; 0 without a state. Anything else: the file could not be opened or read (its code).
    virtual int LoadScriptFile(const wchar_t* path) = 0;
    // Runs the bytes as a chunk; 1 whatever the chunk did (its errors are reported), 0 without a state.
    int RunScriptBuffer(const char* bytes, uint32_t length) override = 0;
    // The first result of the global function as a 32-bit integer; -1 without a state or a name.
    int CallScriptFunction(const char* name) override = 0;
    // The same with one number as the function's argument.
    virtual int CallScriptFunctionWithNumber(const char* name, double number) = 0;
    // 65001 (UTF-8) or 0 (the ANSI code page): how the texts of the last chunk run are encoded.
    unsigned GetCodePage() override = 0;

    virtual void RegisterLauncherScriptClass() = 0;
    virtual void RegisterGlobalFunctionClass() = 0;
    virtual void RegisterLauncherInfoClass() = 0;
    virtual void RegisterGameInfoClasses() = 0;
    virtual void RegisterLauncherImplClass() = 0;
    virtual void RegisterInterMessageQueueClass() = 0;
    virtual void RegisterProcessClasses() = 0;

    // The state, for the callers that call script functions with an argument (lua_tinker::call);
    // null before Initialize and after Finalize.
    virtual lua_State* GetLuaState() = 0;
};
