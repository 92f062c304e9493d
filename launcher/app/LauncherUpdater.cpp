#include "launcher/app/LauncherUpdater.h"

#include "launcher/workflow/LauncherImplement.h"
#include "zpak/log/ZpakLog.h"
#include "zpak/message/ResultCodes.h"

int CDefaultLauncherUpdater::Run()
{
    static const char* const kWhere = "CDefaultLauncherUpdater::Run";
    CLauncherImplement* implement = m_connector ? m_connector->GetImplement() : nullptr;
    auto* steps = dynamic_cast<ILauncherUpdateSteps*>(implement);
    if (!steps)
    {
        ZP_LOG_ERROR(ZP::kErrorInvalidPointer, kWhere);
        return ZP::kErrorInvalidPointer;
    }
    if (IsStopRequested()) return ZP::kResultOk;

    int r = steps->CheckLauncherUpdateAndRestart();
    if (r != ZP::kResultOk)
    {
        ZP_LOG_ERROR(r, kWhere);
        return r;
    }
    if (IsStopRequested()) return ZP::kResultOk;
    r = steps->CheckInstallVM();
    if (r != ZP::kResultOk)
    {
        ZP_LOG_ERROR(r, kWhere);
        return r;
    }
    if (IsStopRequested()) return ZP::kResultOk;
    r = steps->UpdateDistPackages();
    if (r != ZP::kResultOk)
    {
        ZP_LOG_ERROR(r, kWhere);
        return r;
    }
    // The patch run looks at the stop byte itself, between its own steps.
    r = steps->ProcessPatchSystem();
    if (r != ZP::kResultOk)
    {
        ZP_LOG_ERROR(r, kWhere);
        return r;
    }
    ZP::LogF(L"LauncherUpdate, CheckInstall, PatchSystem complete...");
    return ZP::kResultOk;
}
