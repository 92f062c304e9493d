#include "launcher/gui/PositionMap.h"

void CPositionMap::Register(const std::wstring& name)
{
    m_rects[name] = sGUIRect{};
}

bool CPositionMap::IsRegistered(const std::wstring& name) const
{
    return m_rects.count(name) != 0;
}

bool CPositionMap::Set(const std::wstring& name, const sGUIRect& rect)
{
    auto found = m_rects.find(name);
    if (found == m_rects.end()) return false;
    found->second = rect;
    return true;
}

std::optional<sGUIRect> CPositionMap::Find(const std::wstring& name) const
{
    auto found = m_rects.find(name);
    if (found == m_rects.end()) return std::nullopt;
    return found->second;
}

namespace
{
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
constexpr const wchar_t* kInstallDialogNames[] = {
    L"IMAGE_Background", L"BUTTON_Exit",       L"BUTTON_Agree",  L"BUTTON_FIND",    L"BUTTON_Close",
    L"BUTTON_Minimize",  L"CHECK_01",          L"CHECK_02",      L"CHECK_03",       L"TXT_HaveSpace",
    L"TXT_NeedSpace",    L"TXT_InstallFolder", L"TXT_CopyRight", L"IMAGE_FernwayBI"};
constexpr const wchar_t* kMessageBoxNames[] = {L"Message_InitRect", L"Message_Title",    L"BUTTON_Close",
                                               L"Message_Button01", L"Message_Button02", L"Message_Content"};

void RegisterAll(CPositionMap& map, std::span<const wchar_t* const> names)
{
    for (const wchar_t* name : names)
        map.Register(name);
}
} // namespace

std::span<const wchar_t* const> LauncherWindowNames()
{
    return kLauncherWindowNames;
}

std::span<const wchar_t* const> InstallDialogNames()
{
    return kInstallDialogNames;
}

std::span<const wchar_t* const> MessageBoxNames()
{
    return kMessageBoxNames;
}

void RegisterLauncherWindowNames(CPositionMap& map)
{
    RegisterAll(map, kLauncherWindowNames);
}

void RegisterInstallDialogNames(CPositionMap& map)
{
    RegisterAll(map, kInstallDialogNames);
}

void RegisterMessageBoxNames(CPositionMap& map)
{
    RegisterAll(map, kMessageBoxNames);
}
