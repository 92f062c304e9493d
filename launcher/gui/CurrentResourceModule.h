#pragma once
// The program's current resource module: the pack that start-up loads beside the launcher and every
// window reads its skin and texts from. Changed only on the main thread, before windows exist and
// after they are gone.
#include "platform/resource/ResourceModule.h"

#include <string>

// The module every resource read uses; null until one is loaded (the program itself holds none).
const platform::resource::CResourceModule* GetResourceModule();

// Opens the pack at path and makes it current, releasing the one used before. False for an empty
// path or a pack that cannot be opened; the current module then stays as it was.
bool SetResourceModule(const std::wstring& path);

// Back to the program's own (empty) resources; the loaded module is released.
void ReleaseResourceModule();

// "FWLDRS.cln" while the launcher runs as its clone (the clone's copy of the module), else
// "FWLDRS.dll".
const wchar_t* ResourceModuleFileName(bool runningAsClone);

// Loads folder + ResourceModuleFileName(runningAsClone) (folder ends with its separator). 1, or
// 14003 after telling the user in a system message box.
int LoadResourceModule(const std::wstring& folder, bool runningAsClone);
