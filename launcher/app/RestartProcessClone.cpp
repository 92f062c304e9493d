#include "launcher/app/RestartProcessClone.h"

#include "platform/fs/FileReplace.h"
#include "platform/fs/FileSystem.h"
#include "platform/text/TextCodec.h"
#include "zpak/log/ZpakLog.h"
#include "zpak/message/ResultCodes.h"

namespace
{
int Fail(int code, const char* operation)
{
    ZP_LOG_ERROR(code, operation);
    return code;
}

std::wstring FileNameOf(const std::wstring& path)
{
    size_t slash = path.find_last_of(L"/\\");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

void RemoveIfPresent(const std::wstring& path)
{
    if (!platform::fs::Exists(path)) return;
    platform::fs::SetReadOnly(path, false);
    platform::fs::RemoveFile(path);
}
} // namespace

int CRestartProcessClone::Initialize()
{
    CDefaultRestartProcess::Initialize();
    DetectModuleType();
    return ZP::kResultOk;
}

void CRestartProcessClone::DetectModuleType()
{
    std::wstring path = ModulePath();
    if (path.empty())
    {
        m_moduleType = kModuleTypeAbnormal;
        ZP::LogWarnF(L"Invalid Restart Module Type");
    }
    else
    {
        bool clone = platform::text::CompareNoCase(FileNameOf(path), m_settings.cloneExecutable) == 0;
        m_moduleType = clone ? kModuleTypeClone : kModuleTypeNormal;
    }
    ZP::LogF(m_moduleType == kModuleTypeNormal  ? L"Current ModuleType : Normal"
             : m_moduleType == kModuleTypeClone ? L"Current ModuleType : Clone"
                                                : L"Current ModuleType : Abnormal");
}

int CRestartProcessClone::Restart()
{
    if (m_moduleType == kModuleTypeNormal) return Restart_Normal();
    if (m_moduleType == kModuleTypeClone) return Restart_Clone();
    return ZP::kResultFail;
}

int CRestartProcessClone::MakeCopy(const std::wstring& original, const std::wstring& clone)
{
    RemoveIfPresent(clone);
    if (platform::fs::ReplaceFileWithCopy(original, clone) != platform::fs::eReplaceResult::Done)
        return ZP::kErrorCloneCreate;
    platform::fs::SetReadOnly(clone, false);
    return ZP::kResultOk;
}

int CRestartProcessClone::MakeClone()
{
    ZP::LogF(L"Make Clone");
    std::wstring original = LocalPath(m_settings.launcherExecutable);
    std::wstring clone = LocalPath(m_settings.cloneExecutable);
    ZP::LogF(L"OriginalFile : %s, CloneFile : %s", original.c_str(), clone.c_str());
    return MakeCopy(original, clone);
}

int CRestartProcessClone::MakeCloneResourceDLL()
{
    ZP::LogF(L"Make CloneResourceDLL");
    std::wstring original = LocalPath(m_settings.resourceModule);
    std::wstring clone = LocalPath(m_settings.cloneResourceModule);
    ZP::LogF(L"Original DLL File : %s, Clone DLL File : %s", original.c_str(), clone.c_str());
    return MakeCopy(original, clone);
}

void CRestartProcessClone::DeleteLeftovers()
{
    for (const std::wstring* name : {&m_settings.cloneExecutable, &m_settings.cloneResourceModule})
    {
        RemoveIfPresent(LocalPath(*name));
        RemoveIfPresent(platform::fs::ReplacePartPath(LocalPath(*name)));
    }
    // A clone killed while it replaced these leaves the unfinished new file beside them.
    for (const std::wstring* name : {&m_settings.launcherExecutable, &m_settings.resourceModule})
        RemoveIfPresent(platform::fs::ReplacePartPath(LocalPath(*name)));
}

int CRestartProcessClone::StartSuccessor(const wchar_t* logFormat, const std::wstring& path,
                                         const char* operation)
{
    std::wstring arguments = SuccessorArguments();
    ZP::LogF(logFormat, path.c_str(), arguments.c_str());
    int r = CreateCurrentProcess(path.c_str(), arguments.c_str());
    if (r != ZP::kResultOk) return Fail(r, operation);
    return ZP::kRestartNeeded;
}

int CRestartProcessClone::Restart_Normal()
{
    static const char* const kWhere = "CRestartProcessClone::Restart_Normal";
    ZP::LogF(L"Restart Normal");
    DeleteLeftovers();
    int r = CheckLauncherUpdate();
    if (r == ZP::kLauncherVersionSame) return ZP::kResultOk;
    if (r != ZP::kLauncherVersionDiffers) return Fail(r, kWhere);
    if ((r = MakeClone()) != ZP::kResultOk) return Fail(r, kWhere);
    if ((r = MakeCloneResourceDLL()) != ZP::kResultOk) return Fail(r, kWhere);
    return StartSuccessor(L"Start New Process From Original : %s, %s", LocalPath(m_settings.cloneExecutable),
                          kWhere);
}

int CRestartProcessClone::Restart_Clone()
{
    static const char* const kWhere = "CRestartProcessClone::Restart_Clone";
    ZP::LogF(L"Restart Clone");
    int r = DownloadLauncherInfo();
    if (r == ZP::kResultOk) r = DownloadDefaultResourceDLL();
    if (r == ZP::kResultOk) r = DownloadNewLauncher();
    if (r != ZP::kResultOk) return Fail(r, kWhere);
    return StartSuccessor(L"Start New Process From Clone : %s, %s", LocalPath(m_settings.launcherExecutable),
                          kWhere);
}
