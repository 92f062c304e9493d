#pragma once
// Where each control of one skinned window sits: control name -> rectangle in the window's client
// coordinates. A window registers its names (all-zero rectangles), the skin's position text fills
// them, and controls are created from Find.
#include "launcher/gui/LauncherGUI.h"

#include <map>
#include <optional>
#include <span>
#include <string>

class CPositionMap
{
public:
    // Adds name with an all-zero rectangle (a name registered again starts over at zero).
    void Register(const std::wstring& name);
    bool IsRegistered(const std::wstring& name) const;
    // Stores the rectangle of a registered name; false (nothing stored) for any other name.
    bool Set(const std::wstring& name, const sGUIRect& rect);
    // Names compare exactly, case included.
    std::optional<sGUIRect> Find(const std::wstring& name) const;
    size_t Size() const { return m_rects.size(); }

private:
    std::map<std::wstring, sGUIRect> m_rects;
};

// The names each window registers, in the order it registers them.
std::span<const wchar_t* const> LauncherWindowNames();
std::span<const wchar_t* const> InstallDialogNames();
std::span<const wchar_t* const> MessageBoxNames();
void RegisterLauncherWindowNames(CPositionMap& map);
void RegisterInstallDialogNames(CPositionMap& map);
void RegisterMessageBoxNames(CPositionMap& map);
