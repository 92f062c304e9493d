#include "zpak/pak/PakMgr.h"

#include "platform/fs/FileSystem.h"
#include "zpak/common/CommonFunction.h"
#include "zpak/common/Format.h"
#include "zpak/common/NotifyHooks.h"
#include "zpak/common/PathSafety.h"
#include "zpak/common/Stopper.h"
#include "zpak/file/FileBase.h"
#include "zpak/log/ZpakLog.h"
#include "zpak/pak/LooseFile.h"
#include "zpak/scan/LocalFile.h"

#include <unordered_set>

namespace ZP
{

std::wstring CPakMgr::VolumeName(const std::wstring& mainPath, size_t number)
{
    return FormatWide(1023, L"%s.%03d", mainPath.c_str(), static_cast<int>(number));
}

void CPakMgr::CloseAll()
{
    m_mergedByPath.Clear();
    m_merged.ReleaseAll();
    for (auto& volume : m_volumes)
        volume->Close();
    m_volumes.clear();
}

int CPakMgr::OpenSet(const std::wstring& path, bool writable, bool rebuildDamaged)
{
    CloseAll();
    if (path.empty()) return kErrorInvalidString;
    if (!FileExists(path))
    {
        if (!writable) return kErrorFileOpen;
        CreateParentFolders(path);
    }
    auto main = std::make_unique<CPak>();
    int r = main->Open(path, writable, rebuildDamaged);
    if (r != 1) return r;
    m_volumes.push_back(std::move(main));
    for (size_t n = 1;; ++n)
    {
        std::wstring name = VolumeName(path, n);
        if (!FileExists(name)) break;
        auto volume = std::make_unique<CPak>();
        // A volume that would have to be rebuilt fails the set when rebuilding is not allowed;
        // any other failure of a volume leaves the set usable, as it always has.
        if (volume->Open(name, writable, rebuildDamaged) == kErrorPakBroken)
        {
            CloseAll();
            return kErrorPakBroken;
        }
        m_volumes.push_back(std::move(volume));
    }
    m_path = path;
    return RebuildIndex();
}

int CPakMgr::ReopenAll(bool rebuild)
{
    for (auto& volume : m_volumes)
        if (!volume->Reopen(rebuild)) return 0;
    return 1;
}

int CPakMgr::RebuildIndex()
{
    m_mergedByPath.Clear();
    m_merged.ReleaseAll();
    size_t total = 0;
    for (auto& volume : m_volumes)
        total += volume->Count();
    m_merged.Raw().reserve(total);
    for (size_t i = 0; i < m_volumes.size(); ++i)
        for (CFileInfo* r : m_volumes[i]->AllRecords())
        {
            if (CStopper::IsStopRequested()) return kErrorStopped;
            if (!r) continue;
            r->Volume = static_cast<uint32_t>(i);
            m_merged.Add(r);
        }
    m_merged.BuildPathMap(m_mergedByPath);
    return 1;
}

int CPakMgr::AddFile(IFileBase* source, const CFileInfo* sourceRecord, bool download)
{
    if (!source || !sourceRecord || m_volumes.empty()) return kErrorInvalidPointer;
    uint64_t needed = source->GetSize();
    if (needed == 0) needed = download ? sourceRecord->base.OrgSize : sourceRecord->base.size;
    for (auto& volume : m_volumes)
    {
        bool slot = volume->FindFree(static_cast<uint32_t>(needed), volume->TableEnd()) != nullptr;
        bool room = volume->TableEnd() - volume->Base() < CHashTable::kFreeRecordTableLimit &&
                    static_cast<uint64_t>(volume->File()->GetSize()) + needed < kVolumeLimit;
        if (slot || room) return volume->AddFileData(source, sourceRecord, download);
    }
    auto volume = std::make_unique<CPak>();
    int r = volume->Open(VolumeName(m_path, m_volumes.size()), true);
    if (r != 1) return r;
    m_volumes.push_back(std::move(volume));
    return m_volumes.back()->AddFileData(source, sourceRecord, download);
}

bool CPakMgr::AddLooseRecord(CFileInfo* record, bool write)
{
    return !m_volumes.empty() && record && m_volumes.front()->AddRecord(record, write);
}

CFileInfo* CPakMgr::FindAny(const std::wstring& name, int mode) const
{
    for (const auto& volume : m_volumes)
        if (CFileInfo* r = volume->Find(name, mode)) return r;
    return nullptr;
}

bool CPakMgr::CompareWithServer(const std::wstring& gameFolder, const vFileInfo& serverList,
                                vFileInfo& output)
{
    mapFileInfo serverByPath;
    serverList.BuildPathMap(serverByPath);
    for (CFileInfo* r : m_merged)
    {
        if (CStopper::IsStopRequested()) return false;
        if (!r || (r->base.Loc == kLocPak && r->base.deleted == 1)) continue;
        bool listed = serverByPath.ContainsEqual(r, NameKeyOf(r->Name()));
        bool present = false;
        bool current = r->base.Loc == kLocPak || LooseFileIsCurrent(gameFolder, *r, false, &present);
        if (!listed || !current) output.AddCopy(r);
    }

    // Files on disk that the server does not name: only movie and release files are removed.
    CLocalFile scan;
    if (!scan.Scan(gameFolder, true, true, nullptr, true)) return !CStopper::IsStopRequested();
    std::unordered_set<std::wstring> named;
    named.reserve(serverList.Count());
    for (const CFileInfo* s : serverList)
        if (s && !(s->base.Loc == kLocPak && s->base.deleted == 1)) named.insert(s->Name());
    for (const std::wstring& name : scan.Paths())
    {
        if (CStopper::IsStopRequested()) return false;
        if (named.count(name)) continue;
        if (name.find(L"KVGame/Movies") == std::wstring::npos &&
            name.find(L"KVGame/ReleasePC") == std::wstring::npos)
            continue;
        std::wstring path = PathInside(gameFolder, name);
        if (!path.empty())
        {
            LogF(L"stray file deleted : %s", name.c_str());
            DeleteFile(path);
        }
    }
    return true;
}

bool CPakMgr::ApplyDeletions(const std::wstring& gameFolder, const vFileInfo& list)
{
    for (const CFileInfo* wanted : list)
    {
        if (CStopper::IsStopRequested()) return false;
        if (!wanted) continue;
        CPak* volume = VolumeAt(wanted->Volume);
        if (!volume) continue;
        // The list holds copies: act on the volume's own record of that name.
        if (CFileInfo* mine = volume->FindIndexed(wanted->Name(), wanted->base.InfoPos))
            volume->DeleteRecord(gameFolder, mine);
    }
    return RebuildIndex() == 1;
}

bool CPakMgr::BuildDownloadList(const std::wstring& gameFolder, const vFileInfo& serverList,
                                vFileInfo& output)
{
    for (const CFileInfo* s : serverList)
    {
        if (CStopper::IsStopRequested()) return false;
        if (!s || s->base.Loc == kLocNoList || s->base.deleted == 1) continue;
        bool held = m_mergedByPath.ContainsEqual(s, NameKeyOf(s->Name()));
        if (s->base.Loc != kLocLoose)
        {
            if (!held) output.AddCopy(s);
            continue;
        }
        bool present = false;
        bool current = LooseFileIsCurrent(gameFolder, *s, true, &present);
        if (!present || !current || !held) output.AddCopy(s);
    }
    return true;
}

bool CPakMgr::Synchronise(const std::wstring& gameFolder, const vFileInfo& serverList, vFileInfo& downloads,
                          vFileInfo& deletions)
{
    return CompareWithServer(gameFolder, serverList, deletions) && ApplyDeletions(gameFolder, deletions) &&
           BuildDownloadList(gameFolder, serverList, downloads);
}

int CPakMgr::MarkDeletedAny(const std::wstring& name)
{
    int result = 0;
    for (auto& volume : m_volumes)
        if (volume->MarkDeletedByPath(name.c_str()) == 1) result = 1;
    return result;
}

CFileInfo* CPakMgr::FindByPathAll(const std::wstring& name) const
{
    // One look-up in the merged map; volumes are asked one by one only for records added since
    // the index was last rebuilt.
    if (CFileInfo* r = m_mergedByPath.FindByName(name, kFindFullName)) return r;
    for (const auto& volume : m_volumes)
        if (CFileInfo* r = volume->FindByPath(name)) return r;
    return nullptr;
}

int CPakMgr::ListDirAll(const std::wstring& directory, std::vector<std::wstring>& names) const
{
    names.clear();
    for (const auto& volume : m_volumes)
        volume->ListDir(directory, names, false);
    return 1;
}

int CPakMgr::ListAllNames(std::vector<std::wstring>& names) const
{
    names.clear();
    for (const auto& volume : m_volumes)
        volume->ListAll(names, false);
    return 1;
}

int CPakMgr::ListDirAllUtf8(const std::string& directory, std::vector<std::string>& names) const
{
    names.clear();
    for (const auto& volume : m_volumes)
        volume->ListDirUtf8(directory, names, false);
    return 1;
}

int CPakMgr::ListAllNamesUtf8(std::vector<std::string>& names) const
{
    names.clear();
    for (const auto& volume : m_volumes)
        volume->ListAllUtf8(names, false);
    return 1;
}

bool CPakMgr::CompactAll(bool closeAfter)
{
    sNotifyHooks& hooks = GetNotifyHooks();
    uint32_t count = static_cast<uint32_t>(m_volumes.size());
    Notify(hooks.compactStart, count);
    bool result = true;
    for (uint32_t i = 0; i < count; ++i)
    {
        result = m_volumes[i]->Compact();
        if (closeAfter) m_volumes[i]->Close();
        Notify(hooks.compactVolumeProgress, count, i + 1);
        if (!result) break;
    }
    Notify(hooks.compactEnd);
    if (!closeAfter)
        RebuildIndex();
    else
    {
        m_mergedByPath.Clear();
        m_merged.ReleaseAll();
    }
    return result;
}

bool CPakMgr::WriteAllTables()
{
    for (auto& volume : m_volumes)
        volume->WriteInfoTable();
    return true;
}

bool CPakMgr::RepairOverlapsAll(bool addToFree, vFileInfo* output)
{
    if (output) output->Clear();
    bool any = false;
    for (auto& volume : m_volumes)
    {
        size_t before = volume->FreeListSize();
        vFileInfo found;
        volume->RepairOverlaps(addToFree, &found);
        if (found.Count() > 0 || volume->FreeListSize() != before) any = true;
        if (output)
            for (CFileInfo* r : found)
                output->AddCopy(r);
        if (any) break;
    }
    RebuildIndex();
    return any;
}

uint64_t CPakMgr::DataSizeAll(bool storedOnly, bool closeAfter)
{
    uint64_t total = 0;
    for (auto& volume : m_volumes)
        total += volume->DataSize(storedOnly);
    if (closeAfter) CloseAll();
    return total;
}

void CPakMgr::CloseFiles()
{
    for (auto& volume : m_volumes)
        if (volume->File()) volume->File()->Close();
}

size_t CPakMgr::CountDeletedAll() const
{
    size_t n = 0;
    for (const auto& volume : m_volumes)
        n += volume->CountDeleted();
    return n;
}

size_t CPakMgr::CountAll() const
{
    size_t n = 0;
    for (const auto& volume : m_volumes)
        n += volume->Count();
    return n;
}

int CPakMgr::Unpack(const std::wstring& path, const std::wstring& targetFolder)
{
    sNotifyHooks& hooks = GetNotifyHooks();
    if (!FileExists(path))
    {
        Notify(hooks.failureText, L"팩 파일 찾기 실패.");
        return kErrorFileOpen;
    }
    Notify(hooks.statusText, FormatWide(1023, L"팩 풀기 시작.[%s]", path.c_str()).c_str());
    CreateFolderTree(targetFolder);
    CPak pak;
    int r = pak.OpenAndExtract(path, targetFolder);
    for (size_t n = 1; r == 1; ++n)
    {
        if (CStopper::IsStopRequested()) return kErrorStopped;
        std::wstring volume = VolumeName(path, n);
        if (!FileExists(volume))
        {
            Notify(hooks.statusText, L"팩 풀기 성공.");
            return 1;
        }
        Notify(hooks.statusText, FormatWide(1023, L"팩 풀기 시작.[%s]", volume.c_str()).c_str());
        r = pak.OpenAndExtract(volume, targetFolder);
    }
    Notify(hooks.failureText, L"팩 풀기 실패.");
    return r;
}

} // namespace ZP
