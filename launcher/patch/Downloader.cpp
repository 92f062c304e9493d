#include "launcher/patch/Downloader.h"

#include "platform/fs/Executable.h"
#include "platform/fs/FileSystem.h"
#include "zpak/archive/ZipArchive.h"
#include "zpak/common/CommonFunction.h"
#include "zpak/common/Format.h"
#include "zpak/common/NotifyHooks.h"
#include "zpak/common/PathSafety.h"
#include "zpak/common/Stopper.h"
#include "zpak/common/SystemDir.h"
#include "zpak/file/File.h"
#include "zpak/file/FileHttp.h"
#include "zpak/file/ResumableCopy.h"
#include "zpak/log/ZpakLog.h"
#include "zpak/message/PatchSystemMessage.h"
#include "zpak/message/ResultCodes.h"

#include <chrono>
#include <memory>

using namespace ZP;

namespace
{
std::unique_ptr<IFileBase> NewHttpFile()
{
    return std::unique_ptr<IFileBase>(GetFileHttpFactory()->Create());
}

// The list report of records sorted by name; the records' owner keeps its order.
void WriteSortedReport(const std::vector<CFileInfo*>& records, const std::wstring& stem, uint64_t elapsedMs,
                       bool open)
{
    std::vector<CFileInfo*> sorted(records);
    SortRecords(sorted, kSortByName);
    CFileInfoUtil::WriteListReport(stem, {sorted.data(), sorted.size()}, static_cast<uint32_t>(elapsedMs),
                                   open);
}

uint64_t NowMs()
{
    return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                     std::chrono::steady_clock::now().time_since_epoch())
                                     .count());
}
} // namespace

CDownloader::CDownloader() = default;
CDownloader::~CDownloader()
{
    Reset();
}

void CDownloader::Status(const std::wstring& text)
{
    if (m_hooks.logText)
        m_hooks.logText(text.c_str());
    else
        LogF(L"%s", text.c_str());
}

void CDownloader::Error(const std::wstring& text)
{
    if (m_hooks.errorText)
        m_hooks.errorText(text.c_str());
    else
        LogWarnF(L"%s", text.c_str());
}

void CDownloader::AddUrl(const std::wstring& url)
{
    m_urls.push_back(url);
    if (m_preferred < 0 || static_cast<size_t>(m_preferred) >= m_urls.size())
        m_preferred = static_cast<int>(m_urls.size() - 1);
}

std::wstring CDownloader::NextUrl()
{
    if (m_urls.empty()) return std::wstring();
    size_t first = m_preferred >= 0 && static_cast<size_t>(m_preferred) < m_urls.size()
                       ? static_cast<size_t>(m_preferred)
                       : 0;
    if (m_restart)
    {
        m_restart = false;
        m_cursor = 0;
        m_preferred = static_cast<int>(first);
        m_firstOfPass = first;
        return m_urls[first];
    }
    while (m_cursor < m_urls.size() && m_cursor == m_firstOfPass)
        ++m_cursor;
    if (m_cursor >= m_urls.size()) return std::wstring();
    m_preferred = static_cast<int>(m_cursor);
    return m_urls[m_cursor++];
}

void CDownloader::Reset()
{
    m_paks.CloseAll();
    m_lock.Release();
    m_downloadedList.clear();
    m_downloadList.Clear();
    m_deleteList.Clear();
    m_serverList.Clear();
    m_urls.clear();
    m_refusedNames.clear();
    m_preferred = -1;
    m_cursor = 0;
    m_restart = false;
}

int CDownloader::OpenUrl(IFileBase* http, const std::wstring& url)
{
    int r = http->Open(url.c_str(), kModeRead, 0);
    if (r == 1) return 1;
    std::wstring escaped;
    if (EscapeUrl(url, escaped) == 1 && escaped.size() < 512)
    {
        int second = http->Open(escaped.c_str(), kModeRead, 0);
        if (second == 1) return 1;
    }
    Status(FormatWide(1023, L"[Url Open 실패] [ErrCode:%d] %s", r, url.c_str()));
    return r;
}

int CDownloader::DownloadToFile(const std::wstring& url, const std::wstring& folder,
                                const std::wstring& fileName)
{
    if (url.empty() || fileName.empty()) return kErrorInvalidPointer;
    std::wstring path = PathInside(folder, fileName);
    if (path.empty()) return kErrorInvalidFileName;
    CFile out;
    if (out.Open(path.c_str(), kModeCreate, 0) != 1) return kErrorFileOpen;
    auto http = NewHttpFile();
    std::wstring escaped;
    int r = 0;
    if (EscapeUrl(url, escaped) == 1 && escaped.size() < 512) r = http->Open(escaped.c_str(), kModeRead, 0);
    if (r != 1)
    {
        r = http->Open(url.c_str(), kModeRead, 0);
        if (r != 1) return r;
    }
    // A body without a length is taken to its clean end; one with a length must reach it.
    const int64_t announced = static_cast<CFileHttp*>(http.get())->GetContentLength();
    CFileCopyTarget target(&out, 0, true);
    sCopyRequest request{.total = announced >= 0 ? static_cast<uint32_t>(announced) : 0xFFFFFFFFu,
                         .block = kPiece,
                         .toEnd = announced < 0};
    return CopyResumable(http.get(), target, request);
}

int CDownloader::ReadListVersion(sListVersion& record)
{
    auto http = NewHttpFile();
    int result = 0;
    ResetUrlCursor();
    for (std::wstring base = NextUrl(); !base.empty(); base = NextUrl())
    {
        result = http->Open((base + L"/Version/FileInfoVersion.ver").c_str(), kModeRead, 0);
        if (result != 1) continue;
        uint32_t read = 0;
        result = CFileInfoUtil::ReadVersionRecord(http.get(), &record, &read);
        http->Close();
        if (result == 1 && read != kVersionRecordBytes) result = kErrorDataSize;
        if (result == 1) break;
    }
    return result;
}

bool CDownloader::MakeWorkFolder(std::wstring& folder)
{
    // A folder of its own for every run: a fixed name in a shared temporary folder could be
    // planted (as a link to somewhere else) or be in use by another run at the same time.
    std::wstring temp;
    CSystemDir::Get().GetFolder(CSystemDir::Temporary, temp);
    return platform::fs::CreatePrivateDirectory(RemoveTrailingSeparator(BackslashToSlash(temp)),
                                                L"velmora-list-", folder);
}

int CDownloader::LoadZippedList(const std::wstring& listPath, sFileListSaveLoad* header)
{
    if (listPath.empty() || !header) return kErrorInvalidPointer;
    std::wstring work;
    if (!MakeWorkFolder(work))
    {
        ZP_LOG_ERROR(kErrorFileCreate, "CDownloader::LoadZippedList");
        return kErrorFileCreate;
    }
    const std::wstring fileName = GetFileNameWithExt(listPath);
    const std::wstring local = JoinPath(work, fileName);
    std::wstring info;
    int result = 0;
    ResetUrlCursor();
    for (std::wstring base = NextUrl(); !base.empty(); base = NextUrl())
    {
        if (CStopper::IsStopRequested())
        {
            result = kErrorStopped;
            break;
        }
        result = DownloadToFile(base + L"/" + listPath, work, fileName);
        if (result != 1) continue;
        if (CompareNoCase(GetExtension(local), L".zip") == 0)
        {
            result = ExtractZip(local, work);
            if (result != 1) continue;
            info = work + L"/_tmp/" + GetFileTitle(local) + L".info";
        }
        else
            info = local;
        CFile file;
        result = file.Open(info.c_str(), kModeRead, 0);
        if (result == 1) result = CFileInfoUtil::LoadFileList(&file, header);
        if (result == 1) break;
    }
    platform::fs::RemoveTree(work);
    return result;
}

int CDownloader::LoadListDirect(const std::wstring& listPath, sFileListSaveLoad& header)
{
    int result = 0;
    ResetUrlCursor();
    for (std::wstring base = NextUrl(); !base.empty(); base = NextUrl())
    {
        if (CStopper::IsStopRequested()) return kErrorStopped;
        auto http = NewHttpFile();
        std::wstring url = base + L"/" + listPath, escaped;
        result = EscapeUrl(url, escaped) == 1 ? http->Open(escaped.c_str(), kModeRead, 0) : 0;
        if (result != 1) result = http->Open(url.c_str(), kModeRead, 0);
        if (result == 1) result = CFileInfoUtil::LoadFileList(http.get(), &header);
        if (result == 1) break;
    }
    return result;
}

void CDownloader::DropHostileRecords()
{
    // Names from the server are untrusted: one that could lead out of the game folder is refused
    // before anything compares, deletes or downloads by it.
    auto& items = m_serverList.Raw();
    for (auto it = items.begin(); it != items.end();)
    {
        if (*it && !IsSafeRelativeName((*it)->Name()))
        {
            Error(FormatWide(1023, L"refused server file name : %s", (*it)->Name().c_str()));
            ZP_LOG_ERROR(kErrorInvalidFileName, "CDownloader::FetchServerList");
            m_refusedNames.push_back((*it)->Name());
            delete *it;
            it = items.erase(it);
        }
        else
            ++it;
    }
}

int CDownloader::FetchServerList()
{
    Status(L"파일리스트 가져오기 시작.");
    sListVersion version;
    std::wstring listPath = L"Info/ServerFiles.zip";
    if (ReadListVersion(version) == 1 && !version.listPath.empty())
        listPath = BackslashToSlash(version.listPath);
    sFileListSaveLoad header;
    header.list = &m_serverList;
    m_refusedNames.clear();
    int r = LoadZippedList(listPath, &header);
    if (r == 1)
        DropHostileRecords();
    else
        m_failedSubject = listPath;
    Status(L"파일리스트 가져오기 완료.");
    return r;
}

int CDownloader::LoadPakSet()
{
    if (m_pakName.empty()) return kErrorInvalidPointer;
    Status(L"팩파일 열기 시작.");
    const std::wstring pak = JoinPath(m_gameFolder, m_pakName);
    int r =
        m_lock.IsHeld() ? 1 : m_lock.Acquire({m_gameFolder, CPakLock::FolderOfPak(pak)}, true, m_waitForLock);
    if (r == 1) r = m_paks.OpenSet(pak, true);
    Status(r == 1 ? L"팩파일 열기 완료." : L"팩파일 열기 실패.");
    if (r != 1) m_failedSubject = JoinPath(m_gameFolder, m_pakName);
    return r;
}

int CDownloader::CheckRepairList()
{
    Status(L"복구리스트 확인 시작.");
    m_repair.ResetCounter();
    m_repair.SetSkipEncrypted(true);
    int r = m_repair.Run(&m_paks, m_pakName, m_gameFolder, true);
    if (r == kErrorFileMissing)
    {
        Status(L"복구리스트 없음.");
        return 1;
    }
    if (r != 1)
    {
        Status(L"팩 파일 복구 실패.");
        return r;
    }
    Status(L"복구리스트 확인 완료.");
    return 1;
}

int CDownloader::BuildLists()
{
    Status(L"다운로드 될 파일리스트 가져오기 시작.");
    m_deleteList.Clear();
    m_downloadList.Clear();
    m_downloadCount = m_deleteCount = 0;
    if (!m_paks.Synchronise(m_gameFolder, m_serverList, m_downloadList, m_deleteList))
    {
        Status(L"다운로드 될 파일리스트 가져오기 실패.");
        return 0;
    }
    m_downloadCount = static_cast<uint32_t>(m_downloadList.Count());
    m_deleteCount = static_cast<uint32_t>(m_deleteList.Count());
    Status(L"다운로드 될 파일리스트 가져오기 완료.");
    return 1;
}

std::wstring CDownloader::ServerFileUrl(const CFileInfo& record, const std::wstring& base)
{
    std::wstring stamp;
    if (record.base.Date != 0)
        stamp = FormatWide(63, L"%08d_%06d", record.base.Date, record.base.Time);
    else
        stamp = TimeStamp(LocalTime(static_cast<time_t>(record.base.FileTime)));
    return FormatWide(2047, L"%s/%s/%s_%s%s", base.c_str(), L"Datas", record.Name().c_str(), stamp.c_str(),
                      L".dat");
}

int CDownloader::OpenServerFile(IFileBase* http, const CFileInfo& record)
{
    std::wstring base = NextUrl();
    if (base.empty()) return kErrorInvalidPointer;
    return OpenUrl(http, ServerFileUrl(record, base));
}

int CDownloader::DownloadPacked(CFileInfo* record)
{
    Status(FormatWide(1023, L"[패킹파일 다운로드 시작] %s", record->Name().c_str()));
    Notify(m_hooks.statusText, record->Name().c_str());
    ResetUrlCursor();
    // When every URL failed, the caller hears why the last one did, not that none was left.
    int failure = 0;
    for (;;)
    {
        auto http = NewHttpFile();
        int r = OpenServerFile(http.get(), *record);
        if (r == kErrorInvalidPointer) return failure ? failure : r;
        if (r != 1)
        {
            failure = r;
            continue;
        }
        r = m_paks.AddFile(http.get(), record, true);
        http->Close();
        if (r == 1)
        {
            m_downloadedBytes += record->base.size;
            return 1;
        }
        if (r == kErrorStopped || CStopper::IsStopRequested()) return kErrorStopped;
        // No other server makes room on this disk.
        if (r == kErrorNoDiskSpace || r == kErrorDiskFull) return r;
        failure = r;
    }
}

bool CDownloader::IsLooseFileCurrent(const std::wstring& path, const CFileInfo& record)
{
    platform::fs::sFileStat st;
    if (path.empty() || !platform::fs::Stat(path, st) || st.isDirectory) return false;
    CFile probe;
    if (probe.Open(path.c_str(), kModeRead, 0) != 1) return false;
    if (!record.MatchesLooseFile(st.size, st.lastWrite.seconds)) return false;
    Status(FormatWide(1023, L"[팩 외부파일이 이미 존재 함] %s", path.c_str()));
    return true;
}

int CDownloader::SaveLooseFile(IFileBase* http, const std::wstring& path, CFileInfo* record)
{
    if (!http || !record || path.empty()) return kErrorInvalidData;
    // The data goes to a side file that replaces the loose file only once complete: a run cut
    // short never leaves a file that looks current.
    const std::wstring part = path + L".part";
    CFile out;
    if (out.Open(part.c_str(), kModeCreate, 0) != 1) return kErrorFileOpen;
    uint32_t savedLoc = record->base.Loc;
    record->base.Loc = kLocPak;
    uint32_t written = record->base.size > kLargeFileBytes - 1
                           ? CFileInfoUtil::DownloadRaw(http, &out, record)
                           : CFileInfoUtil::DownloadDecode(http, &out, record);
    record->base.Loc = savedLoc;
    out.SetLastWriteTime(static_cast<time_t>(record->base.FileTime));
    out.Close();
    if (written == 0 || !RenameFile(path, part))
    {
        DeleteFile(part);
        return kErrorDownload;
    }
    m_downloadedBytes += record->base.size;
    return 1;
}

bool CDownloader::DownloadLooseData(const std::wstring& path, CFileInfo* record)
{
    ResetUrlCursor();
    for (;;)
    {
        if (CStopper::IsStopRequested()) return false;
        auto http = NewHttpFile();
        int r = OpenServerFile(http.get(), *record);
        if (r == kErrorInvalidPointer) return false;
        if (r == 1 && SaveLooseFile(http.get(), path, record) == 1)
        {
            // The list carries no permissions: the game's own programs must still start.
            if (platform::fs::IsProgramFile(path)) platform::fs::MarkExecutable(path);
            return true;
        }
    }
}

int CDownloader::DownloadLoose(CFileInfo* record)
{
    std::wstring target = PathInside(m_gameFolder, record->Name());
    if (target.empty()) return kErrorInvalidFileName;
    Status(FormatWide(1023, L"[팩 외부파일 다운로드 시작] %s", record->Name().c_str()));
    Notify(m_hooks.prefixedStatusText, record->Name().c_str());
    if (!IsLooseFileCurrent(target, *record))
    {
        Notify(m_hooks.statusText, record->Name().c_str());
        CreateParentFolders(target);
        if (!DownloadLooseData(target, record))
            return CStopper::IsStopRequested() ? kErrorStopped : kErrorDownload;
    }
    auto copy = std::make_unique<CFileInfo>();
    copy->CopyFrom(*record);
    if (!m_paks.AddLooseRecord(copy.get(), true))
    {
        // Already registered by a run that was cut short after writing it: nothing is missing.
        bool known = m_paks.VolumeAt(0) && m_paks.VolumeAt(0)->ContainsEqual(copy.get());
        return known ? 1 : ZP::kErrorAddFileInfo;
    }
    copy.release(); // the pak set's index owns it now
    return 1;
}

int CDownloader::DownloadAll()
{
    Status(L"다운로드 및 패킹 시작.");
    m_downloadCount = 0;
    const uint32_t count = static_cast<uint32_t>(m_downloadList.Count());
    if (count == 0)
    {
        Error(L"다운로드 될 파일이 없습니다.");
        return 1;
    }
    Status(FormatWide(1023, L"[%d]개 다운로드 시작.", count));
    m_downloadedList.clear();
    int result = 0;
    uint32_t downloaded = 0;
    for (uint32_t i = 0; i < count; ++i)
    {
        CFileInfo* record = m_downloadList.At(i);
        if (!record)
        {
            Error(L"파일인포 NULL");
            continue;
        }
        if (!record->IsValid())
        {
            Error(L"파일인포 FILEINFO_SIGN");
            continue;
        }
        if (record->base.Loc >= kLocNoList)
        {
            Error(L"파일위치 NoList");
            continue;
        }
        if (CStopper::IsStopRequested())
        {
            Error(L"강제종료");
            result = kErrorStopped;
            break;
        }
        result = record->base.Loc == kLocLoose ? DownloadLoose(record) : DownloadPacked(record);
        if (result != 1)
        {
            Error(FormatWide(1023, L"[다운로드 실패] [ErrCode:%d] %s.", result, record->Name().c_str()));
            m_failedSubject = record->Name();
            break;
        }
        m_downloadedList.push_back(record);
        ++downloaded;
        Notify(m_hooks.fileCountProgress, count, i + 1);
    }
    Notify(m_hooks.fileCountProgress, count, count);
    m_downloadCount = downloaded;
    if (m_deleteCount > 0 || downloaded > 0) m_paks.WriteAllTables();
    Status(FormatWide(1023, L"[%d]개 다운로드 성공.", downloaded));
    Status(L"다운로드 및 패킹 완료.");
    // The downloaded list borrows the download list's records.
    return result;
}

int CDownloader::CheckPaks()
{
    if (m_deleteCount == 0 && m_downloadCount == 0) return 1;
    Status(L"팩 파일 검사 시작.");
    vFileInfo broken;
    bool overlapped = m_paks.RepairOverlapsAll(false, &broken);
    if (overlapped)
    {
        Error(FormatWide(1023, L"[%d]개 팩 파일 깨짐.", static_cast<int>(broken.Count())));
        broken.Sort(kSortByPosition);
        CFileInfoUtil::WriteListReport(JoinPath(m_gameFolder, L"Log/BrokenFile.txt"), &broken, 0, false);
        m_failedSubject = JoinPath(m_gameFolder, L"Log/BrokenFile.txt"); // where the damaged files are named
        Status(L"팩 파일 검사 완료.");
        return kErrorPakBroken;
    }
    Status(L"팩 파일 검사 완료.");
    return 1;
}

int CDownloader::Prepare(const std::wstring& gameFolder, const std::wstring& pakName)
{
    if (!HasUrls()) return ZP::kErrorNoUrl;
    // The stop flag is left as it is: the updater clears it before it starts a run, and a stop
    // raised since then must end this one.
    m_gameFolder = gameFolder;
    m_pakName = pakName;
    m_downloadedBytes = 0;
    m_failedSubject.clear();
    int r = FetchServerList();
    if (r == 1) r = LoadPakSet();
    if (r == 1)
    {
        CheckRepairList();
        r = BuildLists();
    }
    return r;
}

int CDownloader::Run(const std::wstring& gameFolder, const std::wstring& pakName)
{
    int r = Prepare(gameFolder, pakName);
    if (r == 1) r = DownloadAll();
    if (r == 1) r = CheckPaks();
    // Everything the list named safely is in place, but the game is not complete.
    if (r == 1 && !m_refusedNames.empty()) r = kErrorRefusedServerNames;
    if (r != 1)
    {
        std::wstring text = FormatWide(1023, L"%s - %d", GetMessageText(r), r);
        Error(text);
    }
    return r;
}

void CDownloader::ReportDownloaded(uint64_t startTick)
{
    if (m_downloadedList.empty()) return;
    Status(L"다운로드 리스트 만들기 시작.");
    WriteSortedReport(m_downloadedList, JoinPath(m_gameFolder, L"Log/DownloadFileList.txt"),
                      NowMs() - startTick, false);
    Status(L"다운로드 리스트 만들기 완료.");
}

int CDownloader::ReportServerList(bool open)
{
    if (!HasUrls()) return ZP::kErrorNoUrl;
    uint64_t start = NowMs();
    int r = FetchServerList();
    if (r != 1)
    {
        Error(FormatWide(1023, L"%s - %d", GetMessageText(r), r));
        return r;
    }
    WriteSortedReport(m_serverList.Raw(), L"Log/ServerFileList", NowMs() - start, open);
    return 1;
}

int CDownloader::ReportWillDownload(const std::wstring& gameFolder, const std::wstring& pakName, bool open)
{
    uint64_t start = NowMs();
    int r = Prepare(gameFolder, pakName);
    if (r != 1)
    {
        Error(FormatWide(1023, L"%s - %d", GetMessageText(r), r));
        return r;
    }
    WriteSortedReport(m_downloadList.Raw(), L"Log/WillDownloadFileList", NowMs() - start, open);
    return 1;
}
