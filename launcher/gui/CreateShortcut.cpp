#include "launcher/gui/CreateShortcut.h"

#include "platform/fs/FileSystem.h"
#include "platform/shell/Shortcut.h"
#include "zpak/common/CommonFunction.h"

std::wstring ICreateShortcut::EntryPath(const std::wstring& file)
{
    std::wstring path = ZP::BackslashToSlash(file);
    if (path.find(L'/') == std::wstring::npos) path = ZP::JoinPath(platform::fs::DesktopDirectory(), path);
    std::wstring extension = ZP::GetExtension(path);
    if (ZP::CompareNoCase(extension, L".lnk") == 0 || ZP::CompareNoCase(extension, L".url") == 0)
        path.resize(path.size() - extension.size());
    if (ZP::CompareNoCase(ZP::GetExtension(path), L".desktop") != 0) path += L".desktop";
    return path;
}

bool ICreateShortcut::Create(int kind, const wchar_t* target, const wchar_t* file)
{
    if ((kind != kShortcutFile && kind != kShortcutUrl) || !target || !*target || !file || !*file)
        return false;
    platform::shell::sShortcut shortcut;
    shortcut.kind =
        kind == kShortcutUrl ? platform::shell::eShortcutKind::Url : platform::shell::eShortcutKind::File;
    shortcut.target = kind == kShortcutUrl ? std::wstring(target) : ZP::BackslashToSlash(target);
    shortcut.arguments = m_arguments;
    shortcut.workingFolder = ZP::BackslashToSlash(m_workingFolder);
    shortcut.description = m_description;
    shortcut.iconPath = ZP::BackslashToSlash(m_iconPath);
    return platform::shell::WriteShortcut(shortcut, EntryPath(file));
}
