#include "zpak/pak/PakLock.h"

#include "zpak/common/CommonFunction.h"
#include "zpak/log/ZpakLog.h"
#include "zpak/message/ResultCodes.h"

#include <algorithm>

namespace ZP
{
namespace
{
std::wstring Normalised(const std::wstring& folder)
{
    std::wstring f = RemoveTrailingSeparator(BackslashToSlash(folder));
    return f.empty() ? std::wstring(L".") : f;
}
} // namespace

std::wstring CPakLock::FolderOfPak(const std::wstring& pakPath)
{
    return Normalised(GetFolderPart(BackslashToSlash(pakPath)));
}

std::wstring CPakLock::LockFilePath(const std::wstring& folder)
{
    return Normalised(folder) + L"/" + kFileName;
}

int CPakLock::Acquire(const std::vector<std::wstring>& folders, bool write, bool wait)
{
    using platform::sync::eLockResult;
    Release();
    std::vector<std::wstring> done;
    for (const std::wstring& folder : folders)
    {
        std::wstring f = Normalised(folder);
        if (std::find(done.begin(), done.end(), f) != done.end()) continue;
        done.push_back(f);
        if (write) CreateFolderTree(f);
        auto lock = std::make_unique<platform::sync::FileLock>();
        std::wstring path = LockFilePath(f);
        eLockResult r = lock->Acquire(path, write, write, wait);
        if (r == eLockResult::Acquired)
        {
            m_locks.push_back(std::move(lock));
            continue;
        }
        if (!write && r != eLockResult::Busy) continue;
        Release();
        int code = r == eLockResult::Busy ? kErrorPakLocked : kErrorFileCreate;
        LogWarnF(L"%s : %s", code == kErrorPakLocked ? L"in use by another run" : L"lock file", path.c_str());
        ZP_LOG_ERROR(code, "CPakLock::Acquire");
        return code;
    }
    return 1;
}

void CPakLock::Release()
{
    // Last locked, first released.
    while (!m_locks.empty())
        m_locks.pop_back();
}

} // namespace ZP
