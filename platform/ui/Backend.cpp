#include "platform/ui/Backend.h"

#include "platform/ui/Console.h"
#include "platform/ui/HeadlessBackend.h"

#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace platform::ui
{

eBackendKind ChooseBackend(const char* uiSetting, bool hasDisplay)
{
    if (!hasDisplay || !uiSetting) return hasDisplay ? eBackendKind::Gtk : eBackendKind::Headless;
    return std::string_view(uiSetting) == "headless" ? eBackendKind::Headless : eBackendKind::Gtk;
}

bool HasDisplay()
{
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"})
    {
        const char* value = std::getenv(name);
        if (value && *value) return true;
    }
    return false;
}

std::shared_ptr<IWindowBackend> CreateWindowBackend()
{
    // The drawn window is not part of this build: every choice runs headless for now.
    (void)ChooseBackend(std::getenv("VELMORA_UI"), HasDisplay());
    return std::make_shared<CHeadlessBackend>(stderr, StderrIsTerminal());
}

} // namespace platform::ui
