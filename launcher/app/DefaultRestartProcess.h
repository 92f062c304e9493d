#pragma once
// The restart process's own operations: fetching the launcher information file, comparing the
// versions, replacing the launcher executable and its resource module with the new ones from the
// launcher server. Which of them run, and when, is decided by CRestartProcessClone.
//
// The launcher files are replaced as one step each (see platform/fs/FileReplace.h): a launcher
// killed at any moment of its self-update leaves a complete executable and resource module of the
// old or the new version, and a launcher still running from the old executable does not keep it
// from being replaced.
#include "launcher/app/RestartProcess.h"
#include "launcher/info/HttpDownloader.h"
#include "launcher/info/LauncherInfo.h"
#include "launcher/script/StartProcess.h"

#include <memory>
#include <string>

class CDefaultRestartProcess : public CRestartProcess, public IShellExecute
{
public:
    CDefaultRestartProcess();
    ~CDefaultRestartProcess() override;
    CDefaultRestartProcess(const CDefaultRestartProcess&) = delete;
    CDefaultRestartProcess& operator=(const CDefaultRestartProcess&) = delete;

    // Logs the working folder and the executable's path; 1.
    int Initialize() override;
    void Finalize() override {}
    void SetConnector(CObjectConnector* connector) override { m_connector = connector; }
    CLauncherInfo* GetLauncherInfo() override { return &m_info; }

    // Fetches information base URL + path + file and runs it into the record; the download's code.
    virtual int DownloadLauncherInfo();
    // The launcher information first; then 14097 when its version is the own one (letter case
    // aside), 14098 for any other version (versions are not ordered).
    virtual int CheckLauncherUpdate();
    // The record's launcher server URL + the file's name over the local file; 14007 when the
    // local file cannot be read within the tries of SelfUpdateTimes().
    virtual int DownloadNewLauncher();
    virtual int DownloadDefaultResourceDLL();
    // Looks at the file (local path or URL) up to SelfUpdateTimes().fileTries times.
    virtual bool WaitForFile(const wchar_t* name);

    // Current folder + name.
    std::wstring LocalPath(const std::wstring& name) const;
    // The successor's argument text: every argument of this program after its name, each followed
    // by one space, unquoted.
    static std::wstring SuccessorArguments();

protected:
    // The path of the running executable (empty when unknown).
    virtual std::wstring ModulePath();
    // The downloader's code, or 14091 / 14015 / 14016 / 14092 when the file cannot be replaced.
    int DownloadOver(const char* operation, const wchar_t* logFormat, const std::wstring& name);

    CObjectConnector* m_connector = nullptr;
    std::unique_ptr<ILauncherInfoDownloader> m_downloader;
    CLauncherInfo m_info;
};
