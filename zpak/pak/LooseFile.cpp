#include "zpak/pak/LooseFile.h"

#include "platform/fs/FileSystem.h"
#include "zpak/common/CommonFunction.h"
#include "zpak/common/PathSafety.h"

namespace ZP
{

bool LooseFileIsCurrent(const std::wstring& gameFolder, const CFileInfo& record, bool deleteStale,
                        bool* present)
{
    std::wstring path = PathInside(gameFolder, record.Name());
    platform::fs::sFileStat st;
    bool exists = !path.empty() && platform::fs::Stat(path, st) && !st.isDirectory;
    if (present) *present = exists;
    if (!exists) return false;
    if (record.MatchesLooseFile(st.size, st.lastWrite.seconds)) return true;
    if (deleteStale) DeleteFile(path);
    return false;
}

} // namespace ZP
