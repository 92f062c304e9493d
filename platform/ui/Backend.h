#pragma once
// Which window back end a run uses: VELMORA_UI=headless|gtk; without a display always headless.
// Only the headless back end exists in this build, so a request for gtk falls back to it.
#include "platform/ui/Window.h"

#include <memory>

namespace platform::ui
{

enum class eBackendKind
{
    Headless,
    Gtk,
};

// The choice for a VELMORA_UI value (null when unset) and whether a display is there.
eBackendKind ChooseBackend(const char* uiSetting, bool hasDisplay);
// DISPLAY or WAYLAND_DISPLAY is set.
bool HasDisplay();

// The back end for this run, printing on standard error.
std::shared_ptr<IWindowBackend> CreateWindowBackend();

} // namespace platform::ui
