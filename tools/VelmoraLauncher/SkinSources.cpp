#include "tools/VelmoraLauncher/SkinSources.h"

#include "launcher/gui/CurrentResourceModule.h"
#include "launcher/gui/CustomResourceManager.h"
#include "launcher/gui/PositionMap.h"
#include "launcher/gui/PositionText.h"
#include "zpak/message/ResultCodes.h"

namespace
{

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
    for (const wchar_t* name : LauncherWindowNames())
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
