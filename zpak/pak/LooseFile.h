#pragma once
// Loose files: game files that live in the game folder beside the paks, remembered by a record.
#include "zpak/info/FileInfo.h"

#include <string>

namespace ZP
{

// Whether the record's file is in the game folder and still matches it (size and the loose-file
// time rule). present tells whether there is a file at all; a stale one is deleted when asked.
bool LooseFileIsCurrent(const std::wstring& gameFolder, const CFileInfo& record, bool deleteStale,
                        bool* present = nullptr);

} // namespace ZP
