#include "launcher/script/FernwayLauncherScript.h"

#include "launcher/info/GameInfoManager.h"
#include "launcher/script/FernwayLauncherGlobalFunction.h"
#include "launcher/script/LauncherGUIWrapper.h"
#include "launcher/script/ScriptApi.h"
#include "launcher/script/ScriptText.h"

CFernwayLauncherScript::CFernwayLauncherScript() = default;

CFernwayLauncherScript::~CFernwayLauncherScript()
{
    Finalize();
}

std::unique_ptr<CGlobalFunctionForScript> CFernwayLauncherScript::CreateGlobalFunction()
{
    return std::make_unique<CFernwayLauncherGlobalFunction>();
}

int CFernwayLauncherScript::Initialize()
{
    if (GetLuaState()) return 1;
    m_gui = std::make_unique<CLauncherGUIWrapper>();
    m_setup = std::make_unique<CLauncherGUISetupWrapper>();
    if (CObjectConnector* connector = GetConnector())
    {
        m_gui->SetConnector(connector);
        m_setup->SetConnector(connector);
    }
    return CLauncherScript_Lua::Initialize();
}

void CFernwayLauncherScript::Finalize()
{
    CLauncherScript_Lua::Finalize();
    m_gui.reset();
    m_setup.reset();
}

void CFernwayLauncherScript::SetConnector(CObjectConnector* connector)
{
    CLauncherScript_Lua::SetConnector(connector);
    if (m_gui) m_gui->SetConnector(connector);
    if (m_setup) m_setup->SetConnector(connector);
}

void CFernwayLauncherScript::RegisterClasses()
{
    RegisterGlobalFunctionClass();
    RegisterLauncherInfoClass();
    RegisterGameInfoClasses();
    RegisterGameInfoManagerClass();
    RegisterLauncherImplClass();
    RegisterLauncherGUIClass();
    RegisterInterMessageQueueClass();
    RegisterLauncherGUISetupClass();
    RegisterProcessClasses();
    RegisterLauncherScriptClass();
}

void CFernwayLauncherScript::RegisterLauncherScriptClass()
{
    CLauncherScript_Lua::RegisterLauncherScriptClass();
    BindScriptApi(GetLuaState(), kApiFernwayLauncherScript);
}

void CFernwayLauncherScript::RegisterGlobalFunctionClass()
{
    CLauncherScript_Lua::RegisterGlobalFunctionClass();
    BindScriptApi(GetLuaState(), kApiFernwayGlobalFunction);
}

void CFernwayLauncherScript::RegisterGameInfoManagerClass()
{
    BindScriptApi(GetLuaState(), kApiGameInfoManager);
}

void CFernwayLauncherScript::RegisterLauncherGUISetupClass()
{
    BindScriptApi(GetLuaState(), kApiLauncherGUISetup);
}

void CFernwayLauncherScript::RegisterLauncherGUIClass()
{
    BindScriptApi(GetLuaState(), kApiLauncherGUI);
}

CLauncherGUISetupWrapper* CFernwayLauncherScript::GetLauncherGUISetup()
{
    return m_setup && m_setup->Target() ? m_setup.get() : nullptr;
}

CDefaultGameInfoManager* CFernwayLauncherScript::GetGameInfoManager()
{
    CObjectConnector* connector = GetConnector();
    return dynamic_cast<CDefaultGameInfoManager*>(connector ? connector->GetGameInfoManager() : nullptr);
}

const char* CFernwayLauncherScript::HandOffText(eHandOffSlot slot)
{
    CObjectConnector* connector = GetConnector();
    CGameInfoManagerBase* manager = connector ? connector->GetGameInfoManager() : nullptr;
    auto* defaults = dynamic_cast<CDefaultGameInfoManager*>(manager);
    static const std::wstring none;
    const std::wstring* sources[kSlotCount] = {
        manager ? &manager->GetField(kFieldGameId) : &none,
        manager ? &manager->GetField(kFieldInstallBase) : &none,
        manager ? &manager->GetField(kFieldInstallFile) : &none,
        manager ? &manager->GetField(kFieldInstallDir) : &none,
        manager ? &manager->GetField(kFieldPatcher) : &none,
        manager ? &manager->GetField(kFieldRegArgument) : &none,
        defaults ? &defaults->GetRegistryName(kRegRootKey) : &none,
    };
    unsigned codePage = GetCodePage();
    for (int i = 0; i < kSlotCount; ++i)
        script_text::ToBuffer(*sources[i], codePage, m_texts[i], kTextSlotBytes);
    return m_texts[slot];
}

const char* CFernwayLauncherScript::GetGameID()
{
    return HandOffText(kSlotGameId);
}

const char* CFernwayLauncherScript::GetGameInstallURL()
{
    return HandOffText(kSlotInstallUrl);
}

const char* CFernwayLauncherScript::GetGameInstallFile()
{
    return HandOffText(kSlotInstallFile);
}

const char* CFernwayLauncherScript::GetClientPath()
{
    return HandOffText(kSlotClientPath);
}

const char* CFernwayLauncherScript::GetClientPatcherName()
{
    return HandOffText(kSlotPatcher);
}

const char* CFernwayLauncherScript::GetClientArgument()
{
    return HandOffText(kSlotArgument);
}

const char* CFernwayLauncherScript::GetRegistryRootKey()
{
    return HandOffText(kSlotRootKey);
}
