#pragma once
// ZIP archives of file lists: extraction on the patch side, writing on the publishing side.
// Entry names are untrusted: absolute names, "..", drive prefixes and symbolic links are refused.
#include <string>
#include <vector>

namespace ZP
{

// Extracts every entry into targetFolder (entry name appended to it). 1, or 14004 for a refused or
// unreadable entry, 14014 when the archive cannot be opened, 14015 when a file cannot be created.
int ExtractZip(const std::wstring& archivePath, const std::wstring& targetFolder);

struct sZipEntry
{
    std::string name; // as stored, "/" separators
    std::wstring sourcePath;
};

// Writes a new archive (deflated entries). 1 or an error code.
int WriteZip(const std::wstring& archivePath, const std::vector<sZipEntry>& entries);

} // namespace ZP
