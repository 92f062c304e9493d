// Path families of the utility object. Both "\\" and "/" count as separators on input; the
// results use whatever the input used, except BackslashToSlash.
#include "zpak/common/CommonFunction.h"

#include "platform/fs/FileSystem.h"

namespace ZP
{
namespace
{
bool IsSeparator(wchar_t c)
{
    return c == L'/' || c == L'\\';
}

size_t DriveLength(std::wstring_view path)
{
    if (path.size() >= 2 && path[1] == L':' &&
        ((path[0] >= L'A' && path[0] <= L'Z') || (path[0] >= L'a' && path[0] <= L'z')))
        return 2;
    return 0;
}
} // namespace

void ZP_CommonFunction::SplitPath(std::wstring_view path, std::wstring* drive, std::wstring* folder,
                                  std::wstring* name, std::wstring* extension)
{
    size_t driveLen = DriveLength(path);
    std::wstring_view rest = path.substr(driveLen);
    size_t lastSep = std::wstring_view::npos;
    for (size_t i = rest.size(); i > 0; --i)
        if (IsSeparator(rest[i - 1]))
        {
            lastSep = i - 1;
            break;
        }
    std::wstring_view dir =
        lastSep == std::wstring_view::npos ? std::wstring_view() : rest.substr(0, lastSep + 1);
    std::wstring_view file = lastSep == std::wstring_view::npos ? rest : rest.substr(lastSep + 1);
    size_t dot = file.rfind(L'.');
    std::wstring_view title = dot == std::wstring_view::npos ? file : file.substr(0, dot);
    std::wstring_view ext = dot == std::wstring_view::npos ? std::wstring_view() : file.substr(dot);
    if (drive) drive->assign(path.substr(0, driveLen));
    if (folder) folder->assign(dir);
    if (name) name->assign(title);
    if (extension) extension->assign(ext);
}

std::wstring ZP_CommonFunction::GetFileNameWithExt(std::wstring_view path)
{
    std::wstring name, ext;
    SplitPath(path, nullptr, nullptr, &name, &ext);
    return name + ext;
}

std::wstring ZP_CommonFunction::GetFileTitle(std::wstring_view path)
{
    std::wstring name;
    SplitPath(path, nullptr, nullptr, &name, nullptr);
    return name;
}

std::wstring ZP_CommonFunction::GetExtension(std::wstring_view path)
{
    std::wstring ext;
    SplitPath(path, nullptr, nullptr, nullptr, &ext);
    return ext;
}

std::wstring ZP_CommonFunction::GetFolderPart(std::wstring_view path)
{
    std::wstring drive, folder;
    SplitPath(path, &drive, &folder, nullptr, nullptr);
    if (!folder.empty() && IsSeparator(folder.back())) folder.pop_back();
    return drive + folder;
}

std::wstring ZP_CommonFunction::JoinPath(std::wstring_view folder, std::wstring_view name)
{
    if (folder.empty()) return std::wstring(name);
    std::wstring out(folder);
    out.push_back(L'/');
    out.append(name);
    return out;
}

std::wstring ZP_CommonFunction::DefaultFolder(std::wstring_view folder)
{
    return folder.empty() ? platform::fs::CurrentDirectory() : std::wstring(folder);
}

std::wstring ZP_CommonFunction::RemoveTrailingSeparator(std::wstring_view path)
{
    if (!path.empty() && IsSeparator(path.back())) path.remove_suffix(1);
    return std::wstring(path);
}

std::wstring ZP_CommonFunction::RemoveLeadingSeparator(std::wstring_view path, bool alsoTrailing)
{
    if (!path.empty() && IsSeparator(path.front())) path.remove_prefix(1);
    if (alsoTrailing && !path.empty() && IsSeparator(path.back())) path.remove_suffix(1);
    return std::wstring(path);
}

std::wstring ZP_CommonFunction::BackslashToSlash(std::wstring_view path, bool* foundBackslash)
{
    std::wstring out(path);
    bool found = false;
    for (wchar_t& c : out)
        if (c == L'\\')
        {
            c = L'/';
            found = true;
        }
    if (foundBackslash) *foundBackslash = found;
    return out;
}

std::wstring ZP_CommonFunction::RemovePrefixFolder(std::wstring_view path, std::wstring_view prefix)
{
    std::wstring_view base = prefix;
    while (!base.empty() && IsSeparator(base.back()))
        base.remove_suffix(1);
    if (base.empty() || path.size() < base.size()) return std::wstring(path);
    // Compare with separators unified so "a\\b" and "a/b" name the same folder.
    std::wstring head = BackslashToSlash(path.substr(0, base.size()), nullptr);
    std::wstring want = BackslashToSlash(base, nullptr);
    if (CompareNoCase(head, want) != 0) return std::wstring(path);
    std::wstring_view rest = path.substr(base.size());
    // Only a whole folder name counts as a prefix: "C:/game" is not a prefix of "C:/games/x".
    if (!rest.empty() && !IsSeparator(rest.front())) return std::wstring(path);
    while (!rest.empty() && IsSeparator(rest.front()))
        rest.remove_prefix(1);
    return std::wstring(rest);
}

} // namespace ZP
