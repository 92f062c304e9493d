#include "launcher/gui/CurrentResourceModule.h"

#include "platform/text/TextCodec.h"
#include "platform/ui/SystemMessageBox.h"
#include "zpak/log/ZpakLog.h"
#include "zpak/message/ResultCodes.h"

#include <memory>
#include <mutex>

namespace
{
std::mutex g_lock;
std::unique_ptr<platform::resource::CResourceModule> g_module;
} // namespace

const platform::resource::CResourceModule* GetResourceModule()
{
    std::lock_guard<std::mutex> hold(g_lock);
    return g_module.get();
}

bool SetResourceModule(const std::wstring& path)
{
    if (path.empty()) return false;
    platform::resource::eResourceError why = platform::resource::eResourceError::None;
    std::unique_ptr<platform::resource::CResourceModule> opened =
        platform::resource::CResourceModule::Open(path, &why);
    if (!opened)
    {
        std::wstring reason = platform::text::Utf8ToWide(platform::resource::ResourceErrorText(why));
        ZP::LogWarnF(L"Resource module not loaded : %s (%s)", path.c_str(), reason.c_str());
        return false;
    }
    std::lock_guard<std::mutex> hold(g_lock);
    g_module = std::move(opened);
    return true;
}

void ReleaseResourceModule()
{
    std::lock_guard<std::mutex> hold(g_lock);
    g_module.reset();
}

const wchar_t* ResourceModuleFileName(bool runningAsClone)
{
    return runningAsClone ? L"FWLDRS.cln" : L"FWLDRS.dll";
}

int LoadResourceModule(const std::wstring& folder, bool runningAsClone)
{
    std::wstring path = folder + ResourceModuleFileName(runningAsClone);
    ZP::LogF(L"LoadResource : %s", path.c_str());
    if (SetResourceModule(path)) return ZP::kResultOk;
    std::wstring text = L"LoadResource Error : " + std::to_wstring(ZP::kErrorInvalidPointer);
    platform::ui::SystemMessageBox(text, L"Velmora Launcher", platform::ui::kStyleSetForeground);
    return ZP::kErrorInvalidPointer;
}
