#include "launcher/app/DefaultRestartProcess.h"

#include "launcher/app/SelfUpdateStep.h"
#include "platform/fs/FileReplace.h"
#include "platform/fs/FileSystem.h"
#include "platform/process/CommandLine.h"
#include "platform/text/TextCodec.h"
#include "zpak/common/CommonFunction.h"
#include "zpak/file/FileBase.h"
#include "zpak/log/ZpakLog.h"
#include "zpak/message/ResultCodes.h"

namespace
{
int Fail(int code, const char* operation)
{
    ZP_LOG_ERROR(code, operation);
    return code;
}

int ReplaceResultCode(platform::fs::eReplaceResult result)
{
    switch (result)
    {
    case platform::fs::eReplaceResult::Done:
        return ZP::kResultOk;
    case platform::fs::eReplaceResult::CreateFailed:
        return ZP::kErrorFileCreate;
    case platform::fs::eReplaceResult::WriteFailed:
        return ZP::kErrorFileWrite;
    case platform::fs::eReplaceResult::RenameFailed:
        return ZP::kErrorLauncherRename;
    }
    return ZP::kResultFail;
}
} // namespace

CDefaultRestartProcess::CDefaultRestartProcess() : m_downloader(std::make_unique<ILauncherInfoDownloader>())
{
}

CDefaultRestartProcess::~CDefaultRestartProcess() = default;

int CDefaultRestartProcess::Initialize()
{
    ZP::LogF(L"CurrentPath : %s, CurrentModulePath : %s", platform::fs::CurrentDirectory().c_str(),
             ModulePath().c_str());
    return ZP::kResultOk;
}

std::wstring CDefaultRestartProcess::ModulePath()
{
    return platform::fs::ExecutablePath();
}

std::wstring CDefaultRestartProcess::LocalPath(const std::wstring& name) const
{
    return m_info.GetCurrentPath() + name;
}

std::wstring CDefaultRestartProcess::SuccessorArguments()
{
    std::vector<std::wstring> arguments = platform::process::OwnArguments();
    std::wstring text;
    for (size_t i = 1; i < arguments.size(); ++i)
        text += arguments[i] + L" ";
    return text;
}

int CDefaultRestartProcess::DownloadLauncherInfo()
{
    std::wstring url = m_settings.infoBaseURL + m_settings.infoPath + m_settings.infoFile;
    ZP::LogF(L"Download LauncherInfo : %s", url.c_str());
    int r = m_downloader->DownloadLauncherInfo(url.c_str(), &m_info);
    if (r != ZP::kResultOk) return Fail(r, "CRestartProcess::DownloadLauncherInfo");
    return r;
}

int CDefaultRestartProcess::CheckLauncherUpdate()
{
    int r = DownloadLauncherInfo();
    if (r != ZP::kResultOk) return Fail(r, "CRestartProcess::CheckLauncherUpdate");
    ZP::LogF(L"CurrentVersion : %s, ClientVersion : %s", m_info.GetLauncherVersionW().c_str(),
             m_settings.clientVersion.c_str());
    return platform::text::CompareNoCase(m_info.GetLauncherVersionW(), m_settings.clientVersion) == 0
               ? ZP::kLauncherVersionSame
               : ZP::kLauncherVersionDiffers;
}

bool CDefaultRestartProcess::WaitForFile(const wchar_t* name)
{
    const sSelfUpdateTimes& times = SelfUpdateTimes();
    for (int attempt = 1; attempt <= times.fileTries; ++attempt)
    {
        if (m_downloader->CheckFile(name) == ZP::kResultOk) return true;
        if (attempt < times.fileTries) SelfUpdateWait(times.fileRetryMs);
    }
    return false;
}

int CDefaultRestartProcess::DownloadOver(const char* operation, const wchar_t* logFormat,
                                         const std::wstring& name)
{
    std::wstring url = m_info.GetLauncherServerURLW() + name;
    std::wstring local = LocalPath(name);
    ZP::LogF(logFormat, url.c_str(), local.c_str());
    if (!WaitForFile(local.c_str())) return ZP::kErrorInvalidHandle;

    char* data = nullptr;
    uint32_t size = 0;
    int r = m_downloader->DownloadFileToMemory(url.c_str(), &data, &size);
    if (r != ZP::kResultOk) return Fail(r, operation);
    uint64_t freeBytes = 0;
    if (platform::fs::FreeBytesAvailable(local, freeBytes) && freeBytes < size)
        r = ZP::kErrorDiskFull;
    else
        r = ReplaceResultCode(platform::fs::ReplaceFileContents(local, data, size));
    ZP::FreeBuffer(data);
    if (r != ZP::kResultOk) return Fail(r, operation);
    return r;
}

int CDefaultRestartProcess::DownloadNewLauncher()
{
    return DownloadOver("CRestartProcess::DownloadNewLauncher",
                        L"Download New Launcher : %s, LocalFileName : %s", m_settings.launcherExecutable);
}

int CDefaultRestartProcess::DownloadDefaultResourceDLL()
{
    return DownloadOver("CRestartProcess::DownloadDefaultResourceDLL",
                        L"Download New DLL : %s, LocalFileName %s", m_settings.resourceModule);
}
