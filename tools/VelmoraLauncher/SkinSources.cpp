#include "tools/VelmoraLauncher/SkinSources.h"

#include "launcher/gui/CurrentResourceModule.h"
#include "launcher/gui/CustomResourceManager.h"
#include "launcher/gui/PositionMap.h"
#include "launcher/gui/PositionText.h"
#include "zpak/message/ResultCodes.h"

namespace
{
// The names RegisterLauncherWindowNames registers: the map cannot be walked, so they are named here.
constexpr const wchar_t* kLauncherWindowNames[] = {L"Web_Notice",
                                                   L"IMAGE_Background",
                                                   L"IMAGE_Game",
                                                   L"IMAGE_FernwayBI",
                                                   L"IMAGE_GameBI",
                                                   L"BUTTON_Exit",
                                                   L"BUTTON_Start",
                                                   L"BUTTON_Close",
                                                   L"BUTTON_Minimize",
                                                   L"PROGRESS_TotalProgress",
                                                   L"PROGRESS_FileProgress",
                                                   L"TXT_Version",
                                                   L"TXT_Status",
                                                   L"TXT_CurrentFile",
                                                   L"CHECK_01",
                                                   L"CHECK_02",
                                                   L"CHECK_03"};

bool Has(CCustomResourceManager* manager, int entry, const char* type)
{
    const platform::resource::CResourceModule* module = GetResourceModule();
    return manager && module && module->Contains(type, manager->GetResourceId(entry));
}
} // namespace

int CResourceWindowPositions::ReadWindowPositions(WindowPositionTable& out)
{
    if (!m_manager) return ZP::kErrorInvalidPointer;
    IWindowResourceLoader loader;
    CPositionMap map;
    RegisterLauncherWindowNames(map);
    int r = ReadLauncherWindowPositions(loader, GetResourceModule(), *m_manager, map);
    if (r != ZP::kResultOk) return r;
    out.clear();
    for (const wchar_t* name : kLauncherWindowNames)
    {
        if (std::optional<sGUIRect> rect = map.Find(name)) out[name] = *rect;
    }
    return ZP::kResultOk;
}

bool CResourceMessageBoxSkin::LoadTemplate()
{
    return Has(m_manager, kResMessageBoxDialog, kResourceTypeDialog);
}

bool CResourceMessageBoxSkin::LoadPositions()
{
    if (!m_manager) return false;
    IWindowResourceLoader loader;
    CPositionMap map;
    RegisterMessageBoxNames(map);
    return ReadMessageBoxPositions(loader, GetResourceModule(), *m_manager, map) == ZP::kResultOk;
}

bool CResourceMessageBoxSkin::LoadFrameBitmaps()
{
    for (int entry : {kResMessageBoxFrameMiddle, kResMessageBoxFrameLeft, kResMessageBoxFrameRight})
    {
        if (!Has(m_manager, entry, kResourceTypeBitmap)) return false;
    }
    return true;
}
