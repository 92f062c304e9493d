// File, folder, attribute and disk-space families of the utility object.
#include "zpak/common/CommonFunction.h"

#include "platform/fs/FileSystem.h"
#include "zpak/common/Stopper.h"

namespace ZP
{
namespace fs = platform::fs;

namespace
{
bool ListInto(ZP_CommonFunction& cf, std::wstring_view folder, bool recursive,
              std::vector<std::wstring>& files, std::vector<std::wstring>* folders)
{
    std::vector<fs::sDirEntry> entries;
    if (!fs::ListDirectory(folder, entries)) return false;
    for (const fs::sDirEntry& e : entries)
    {
        if (CStopper::IsStopRequested()) return false;
        std::wstring full = cf.JoinPath(folder, e.name);
        if (e.stat.isDirectory && !e.stat.isSymlink)
        {
            if (folders) folders->push_back(full);
            if (recursive && !ListInto(cf, full, true, files, folders)) return false;
        }
        else if (!e.stat.isDirectory)
            files.push_back(full);
    }
    return true;
}
} // namespace

bool ZP_CommonFunction::ListFolder(std::wstring_view folder, bool recursive, std::vector<std::wstring>& files,
                                   std::vector<std::wstring>* folders)
{
    std::wstring root = RemoveTrailingSeparator(BackslashToSlash(DefaultFolder(folder), nullptr));
    return ListInto(*this, root, recursive, files, folders);
}

bool ZP_CommonFunction::GetFreeSpace(std::wstring_view path, uint64_t& bytes)
{
    return fs::FreeBytesAvailable(DefaultFolder(path), bytes);
}

bool ZP_CommonFunction::HasFreeSpace(std::wstring_view path, uint64_t needed)
{
    uint64_t available = 0;
    return GetFreeSpace(path, available) && available > needed;
}

bool ZP_CommonFunction::FileExists(std::wstring_view path)
{
    return !path.empty() && fs::Exists(path);
}

bool ZP_CommonFunction::RenameFile(std::wstring_view newName, std::wstring_view oldName)
{
    return fs::RenameFile(oldName, newName);
}

bool ZP_CommonFunction::DeleteFile(std::wstring_view path)
{
    if (path.empty() || !fs::Exists(path) || fs::IsDirectory(path)) return false;
    fs::SetReadOnly(path, false);
    return fs::RemoveFile(path);
}

bool ZP_CommonFunction::FolderExists(std::wstring_view path)
{
    return !path.empty() && fs::IsDirectory(path);
}

bool ZP_CommonFunction::ParentFolderExists(std::wstring_view filePath)
{
    std::wstring parent = GetFolderPart(filePath);
    return parent.empty() || FolderExists(parent);
}

bool ZP_CommonFunction::CreateFolderTree(std::wstring_view path)
{
    std::wstring normal = BackslashToSlash(path, nullptr);
    if (normal.empty()) return false;
    if (FolderExists(normal)) return true;
    std::wstring built;
    size_t start = 0;
    if (normal[0] == L'/')
    {
        built = L"";
        start = 1;
    }
    while (start <= normal.size())
    {
        size_t end = normal.find(L'/', start);
        if (end == std::wstring::npos) end = normal.size();
        std::wstring_view part(normal.data() + start, end - start);
        start = end + 1;
        if (part.empty()) continue;
        if (!built.empty() || normal[0] == L'/') built.push_back(L'/');
        built.append(part);
        if (!fs::IsDirectory(built) && !fs::CreateOneDirectory(built) && !fs::IsDirectory(built))
            return false;
    }
    return true;
}

bool ZP_CommonFunction::CreateParentFolders(std::wstring_view filePath)
{
    std::wstring parent = GetFolderPart(BackslashToSlash(filePath, nullptr));
    return parent.empty() || CreateFolderTree(parent);
}

bool ZP_CommonFunction::RemoveFolderTree(std::wstring_view path, bool deleteFiles)
{
    std::wstring root = RemoveTrailingSeparator(BackslashToSlash(path, nullptr));
    // Given a link, only the link goes: listing it would empty the folder it points to.
    if (!root.empty() && fs::IsSymlink(root)) return deleteFiles && fs::RemoveFile(root);
    std::vector<fs::sDirEntry> entries;
    if (root.empty() || !fs::ListDirectory(root, entries)) return false;
    for (const fs::sDirEntry& e : entries)
    {
        std::wstring full = JoinPath(root, e.name);
        // A link to a folder is removed as a link: its target lies outside this tree.
        if (e.stat.isDirectory && !e.stat.isSymlink)
        {
            if (!RemoveFolderTree(full, deleteFiles)) return false;
        }
        else if (deleteFiles)
        {
            bool removed = e.stat.isSymlink ? fs::RemoveFile(full) : DeleteFile(full);
            if (!removed) return false;
        }
    }
    return fs::RemoveEmptyDirectory(root);
}

uint32_t ZP_CommonFunction::GetAttributes(std::wstring_view path)
{
    fs::sFileStat st;
    return fs::Stat(path, st) ? st.attributes : kInvalidAttributes;
}

bool ZP_CommonFunction::SetAttributes(std::wstring_view path, uint32_t attributes)
{
    return fs::SetReadOnly(path, (attributes & fs::kAttrReadOnly) != 0);
}

bool ZP_CommonFunction::CopyFile(std::wstring_view from, std::wstring_view to, bool failIfExists)
{
    return fs::CopyOneFile(from, to, failIfExists);
}

bool ZP_CommonFunction::ReadWholeFile(std::wstring_view path, std::string& out)
{
    fs::File f;
    if (!f.Open(path, fs::eOpenMode::Read)) return false;
    int64_t size = f.Size();
    out.clear();
    if (size > 0) out.reserve(static_cast<size_t>(size));
    char buffer[65536];
    for (;;)
    {
        int64_t n = f.Read(buffer, sizeof(buffer));
        if (n < 0) return false;
        if (n == 0) return true;
        out.append(buffer, static_cast<size_t>(n));
    }
}

bool ZP_CommonFunction::WriteWholeFile(std::wstring_view path, std::string_view data)
{
    fs::File f;
    return f.Open(path, fs::eOpenMode::CreateAlways) && f.WriteAll(data.data(), data.size());
}

} // namespace ZP
