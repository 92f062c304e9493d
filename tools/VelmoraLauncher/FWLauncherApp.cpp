#include "tools/VelmoraLauncher/FWLauncherApp.h"

#include "launcher/app/CurrentScript.h"
#include "launcher/app/LauncherMessage.h"
#include "launcher/app/LauncherUpdater.h"
#include "launcher/app/ProcessStatus.h"
#include "launcher/app/RestartProcess.h"
#include "launcher/app/StringTable.h"
#include "launcher/gui/LauncherGUI.h"
#include "launcher/info/GameInfoManager.h"
#include "launcher/patch/PatchSystemProcess.h"
#include "launcher/script/LauncherScript.h"
#include "launcher/workflow/LauncherImplement.h"
#include "zpak/log/ZpakLog.h"
#include "zpak/message/ResultCodes.h"

namespace
{
// Stores what the factory made (so a component whose start fails is still finalised), starts it
// and hands it the connector.
template <typename T>
int Bring(T*& slot, T* made, CObjectConnector* connector, bool becomesCurrentScript = false)
{
    if (!made) return ZP::kErrorInvalidPointer;
    slot = made;
    int r = made->Initialize();
    if (r != ZP::kResultOk) return r;
    if (becomesCurrentScript)
    {
        if (auto* runner = dynamic_cast<IScriptRunner*>(made)) SetCurrentScript(runner);
    }
    if (auto* receiver = dynamic_cast<CObjectConnectorReceiver*>(made)) receiver->SetConnector(connector);
    return ZP::kResultOk;
}

template <typename T> void Drop(T*& slot)
{
    if (!slot) return;
    slot->Finalize();
    delete slot;
    slot = nullptr;
}
} // namespace

CFWLauncherApp::CFWLauncherApp() : m_message(std::make_unique<CLauncherMessage>())
{
    ZP::SetMessageProvider(m_message.get());
}

CFWLauncherApp::~CFWLauncherApp()
{
    ZP::RestoreDefaultMessageProvider();
}

int CFWLauncherApp::InitializeFramework()
{
    int r = Bring(m_script, CreateScript(), this, true);
    if (r == ZP::kResultOk) r = Bring(m_restart, CreateRestartProcess(), this);
    if (r == ZP::kResultOk) r = Bring(m_updater, CreateUpdater(), this);
    if (r == ZP::kResultOk) r = Bring(m_implement, CreateImplement(), this);
    if (r == ZP::kResultOk) r = Bring(m_stringTable, CreateStringTable(), this);
    if (r == ZP::kResultOk) r = Bring(m_processStatus, CreateProcessStatus(), this);
    if (r == ZP::kResultOk) r = Bring(m_patch, CreatePatchSystem(), this);
    if (r == ZP::kResultOk) r = Bring(m_gui, CreateLauncherGUI(), this);
    if (r == ZP::kResultOk) r = Bring(m_gameInfo, CreateGameInfoManager(), this);
    if (r != ZP::kResultOk) ZP_LOG_ERROR(r, "CFWLauncherApp::InitializeFramework");
    return r;
}

int CFWLauncherApp::FinalizeFramework()
{
    if (m_gui)
    {
        delete m_gui;
        m_gui = nullptr;
    }
    Drop(m_implement);
    if (m_script && GetCurrentScript() == dynamic_cast<IScriptRunner*>(m_script)) SetCurrentScript(nullptr);
    Drop(m_script);
    Drop(m_restart);
    Drop(m_updater);
    Drop(m_patch);
    Drop(m_gameInfo);
    Drop(m_stringTable);
    Drop(m_processStatus);
    return ZP::kResultOk;
}
