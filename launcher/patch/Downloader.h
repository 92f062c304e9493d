#pragma once
// One patch of a game folder against the patch server: the server's file list, the local pak set,
// the repair step, the comparison, the downloads (into the paks or as loose files) and the final
// check of the paks.
#include "zpak/info/FileInfoUtil.h"
#include "zpak/pak/PakLock.h"
#include "zpak/pak/PakMgr.h"
#include "zpak/repair/PakRepairUtil.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace ZP
{
class IFileBase;
}

// Notification hooks of one downloader; each is optional and carries its own context. They are
// called on the thread that runs the downloader's steps.
struct sDownloaderHooks
{
    std::function<void(uint32_t total, uint32_t done)> fileCountProgress;
    std::function<void(const wchar_t* text)> statusText;         // the file being worked on
    std::function<void(const wchar_t* text)> prefixedStatusText; // the same, shown with a prefix
    std::function<void(const wchar_t* text)> logText;            // step texts
    std::function<void(const wchar_t* text)> errorText;
};

class CDownloader
{
public:
    CDownloader();
    virtual ~CDownloader();
    CDownloader(const CDownloader&) = delete;
    CDownloader& operator=(const CDownloader&) = delete;

    int Run(const std::wstring& gameFolder, const std::wstring& pakName);
    int ReportWillDownload(const std::wstring& gameFolder, const std::wstring& pakName, bool open);
    int ReportServerList(bool open);
    void Reset();
    void AddUrl(const std::wstring& url);
    // Set before a run, not during one.
    sDownloaderHooks& Hooks() { return m_hooks; }
    bool HasUrls() const { return !m_urls.empty(); }
    int DownloadToFile(const std::wstring& url, const std::wstring& folder, const std::wstring& fileName);
    int FetchServerList();
    int LoadPakSet();
    int CheckRepairList();
    int BuildLists();
    int DownloadAll();
    int CheckPaks();
    int Prepare(const std::wstring& gameFolder, const std::wstring& pakName);
    int ReadListVersion(ZP::sListVersion& record);
    int LoadListDirect(const std::wstring& listPath, ZP::sFileListSaveLoad& header);
    int LoadZippedList(const std::wstring& listPath, ZP::sFileListSaveLoad* header);
    static std::wstring ServerFileUrl(const ZP::CFileInfo& record, const std::wstring& base);
    int DownloadLoose(ZP::CFileInfo* record);
    bool IsLooseFileCurrent(const std::wstring& path, const ZP::CFileInfo& record);
    bool DownloadLooseData(const std::wstring& path, ZP::CFileInfo* record);
    int OpenUrl(ZP::IFileBase* http, const std::wstring& url);
    int OpenServerFile(ZP::IFileBase* http, const ZP::CFileInfo& record);
    int SaveLooseFile(ZP::IFileBase* http, const std::wstring& path, ZP::CFileInfo* record);
    int DownloadPacked(ZP::CFileInfo* record);
    void ReportDownloaded(uint64_t startTick);
    ZP::CPakMgr& GetPakManager() { return m_paks; }
    ZP::CPakRepairUtil& GetRepairUtil() { return m_repair; }
    void ResetUrlCursor() { m_restart = true; }
    // The next URL to try after ResetUrlCursor: the preferred one, then the others in order;
    // empty when none is left. The URL returned becomes the preferred one.
    std::wstring NextUrl();

    // Whether LoadPakSet waits for another run's lock on the game folder instead of failing with
    // kErrorPakLocked.
    void SetWaitForLock(bool wait) { m_waitForLock = wait; }
    void SetGameFolder(const std::wstring& folder) { m_gameFolder = folder; }
    void SetPakName(const std::wstring& name) { m_pakName = name; }
    const std::wstring& GameFolder() const { return m_gameFolder; }
    const std::wstring& PakName() const { return m_pakName; }
    uint32_t DownloadCount() const { return m_downloadCount; }
    uint32_t DeleteCount() const { return m_deleteCount; }
    uint64_t DownloadedBytes() const { return m_downloadedBytes; }
    const ZP::vFileInfo& ServerList() const { return m_serverList; }
    const ZP::vFileInfo& DownloadList() const { return m_downloadList; }
    // Server file names the last list fetch refused; the files behind them were not patched.
    const std::vector<std::wstring>& RefusedNames() const { return m_refusedNames; }
    // What the last failing step was working on (a list path, the pak set, a file name); empty
    // when nothing failed or the failure concerns no single file.
    const std::wstring& FailedSubject() const { return m_failedSubject; }

    static constexpr uint32_t kDefaultListVersion = 16777216;
    static constexpr uint32_t kPiece = 100000;

private:
    void Status(const std::wstring& text);
    void Error(const std::wstring& text);
    static bool MakeWorkFolder(std::wstring& folder);
    void DropHostileRecords();

    sDownloaderHooks m_hooks;
    std::vector<std::wstring> m_urls;
    int m_preferred = -1;
    size_t m_cursor = 0;
    size_t m_firstOfPass = 0;
    bool m_restart = false;
    std::wstring m_gameFolder;
    std::wstring m_pakName;
    ZP::vFileInfo m_serverList;
    ZP::vFileInfo m_downloadList;
    // The records of the download list that arrived (borrowed from it).
    std::vector<ZP::CFileInfo*> m_downloadedList;
    ZP::vFileInfo m_deleteList;
    uint32_t m_downloadCount = 0;
    uint32_t m_deleteCount = 0;
    uint64_t m_downloadedBytes = 0;
    std::vector<std::wstring> m_refusedNames;
    std::wstring m_failedSubject;
    // Held from LoadPakSet until Reset: no other run writes the game folder or the pak set meanwhile.
    ZP::CPakLock m_lock;
    bool m_waitForLock = false;
    ZP::CPakMgr m_paks;
    ZP::CPakRepairUtil m_repair;
};
