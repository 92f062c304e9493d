#pragma once
// The skin's position texts: one line per control, "name,left,top,right,bottom" (UTF-8 name,
// decimal numbers), up to a line "end" in any letter case. Line breaks are CR, LF or runs of them;
// runs of commas count as one. A number field reads like atoi: leading blanks, an optional sign,
// digits up to the first other character; a missing or empty number is 0, and values beyond the
// 32-bit range are clamped.
#include "launcher/gui/CustomResourceManager.h"
#include "launcher/gui/PositionMap.h"
#include "launcher/gui/WindowResourceLoader.h"

#include <cstddef>

// What a line naming a control the window did not register does.
enum class eUnknownPositionName
{
    EndReading, // the launcher window: the remaining lines are not read
    SkipLine,   // the install dialog and the message box
};

// Reads exactly size bytes of text into map; logNames writes "CurrentPos : <name>" per stored line.
void ReadPositionText(const char* text, size_t size, CPositionMap& map, eUnknownPositionName unknown,
                      bool logNames);

// The three windows' position readers: each loads its "csv" resource (entry 1, 49 and 25 of the
// resource table) from module and fills map, whose names the window has registered.
// Launcher window and install dialog: 1, or 0 with an error line when the text cannot be loaded.
int ReadLauncherWindowPositions(IWindowResourceLoader& loader,
                                const platform::resource::CResourceModule* module,
                                CCustomResourceManager& manager, CPositionMap& map);
int ReadInstallDialogPositions(IWindowResourceLoader& loader,
                               const platform::resource::CResourceModule* module,
                               CCustomResourceManager& manager, CPositionMap& map);
// Message box: always 1; without its text the rectangles stay zero.
int ReadMessageBoxPositions(IWindowResourceLoader& loader, const platform::resource::CResourceModule* module,
                            CCustomResourceManager& manager, CPositionMap& map);
