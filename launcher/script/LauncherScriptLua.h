#pragma once
// The script host: owns the process's one Lua state (base and string libraries only), the bound
// classes, and the object behind the script class "GlobalFunction".
#include "launcher/app/Components.h"
#include "launcher/script/LauncherScript.h"

#include <cstddef>
#include <memory>

class CGlobalFunctionForScript;
class CGameInfo;
class CLauncherInfo;
class CDefaultLauncherImplement;

class CLauncherScript_Lua : public CLauncherScript, public CObjectConnectorReceiver
{
public:
    CLauncherScript_Lua();
    ~CLauncherScript_Lua() override;
    CLauncherScript_Lua(const CLauncherScript_Lua&) = delete;
    CLauncherScript_Lua& operator=(const CLauncherScript_Lua&) = delete;

    // 1; 0 when no state can be made.
    int Initialize() override;
    void Finalize() override;
    int LoadScriptFile(const wchar_t* path) override;
    // A buffer starting with the UTF-8 byte-order mark runs without it and sets code page 65001;
    // any other sets code page 0.
    int RunScriptBuffer(const char* bytes, uint32_t length) override;
    int CallScriptFunction(const char* name) override;
    int CallScriptFunctionWithNumber(const char* name, double number) override;
    unsigned GetCodePage() override { return m_codePage; }

    // Binds "LauncherScript" and publishes this host as "LauncherScriptObject".
    void RegisterLauncherScriptClass() override;
    void RegisterGlobalFunctionClass() override;
    // "LauncherInfo".
    void RegisterLauncherInfoClass() override;
    // "DistPackageInfo", "LauncherProcessStatusFunction", "GameInfo".
    void RegisterGameInfoClasses() override;
    // "LauncherImpl".
    void RegisterLauncherImplClass() override;
    void RegisterInterMessageQueueClass() override;
    void RegisterProcessClasses() override;

    lua_State* GetLuaState() override { return m_state; }

    void SetConnector(CObjectConnector* connector) override;
    CObjectConnector* GetConnector() const { return m_connector; }

    // Script name "GetGlobalFunction".
    CGlobalFunctionForScript* GetGlobalFunction() { return m_globalFunction.get(); }
    // The restart process's launcher information record; nil without one.
    CLauncherInfo* GetLauncherInfo();
    // The game information manager's record; nil without one.
    CGameInfo* GetGameInfo();
    // The application's implementation when it is a CDefaultLauncherImplement (or derived); else nil.
    CDefaultLauncherImplement* GetLauncherImpl();
    // Shows the text (cut to 1023 characters) as a notice through ShowMessage.
    void MessageBox(const char* text);
    // Shows the launcher window (and brings it to the front) or hides it; nothing without a window.
    void ShowLauncher(bool show);
    // The launcher's folder with a trailing separator, from the launcher information record.
    const char* GetLauncherRootPath();

    // Most memory the state may hold; a script that wants more gets "not enough memory".
    static constexpr size_t kMemoryLimit = 256u * 1024u * 1024u;

protected:
    // The launcher-specific host makes its own subclass.
    virtual std::unique_ptr<CGlobalFunctionForScript> CreateGlobalFunction();
    // The registration slots in the host's order; runs inside a protected call.
    virtual void RegisterClasses();

private:
    static void* Allocate(void* self, void* block, size_t oldSize, size_t newSize);
    static int RunRegistration(lua_State* L);

    lua_State* m_state = nullptr;
    CObjectConnector* m_connector = nullptr;
    unsigned m_codePage = 65001;
    std::unique_ptr<CGlobalFunctionForScript> m_globalFunction;
    size_t m_memoryInUse = 0;
};
